#include "popups/document_popup_win.h"

#include <algorithm>
#include <string>

#include "core/settings_win.h"
#include "popups/popup_text.h"
#include "store/browser_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr int kRowLeft = 10;
constexpr int kRowTop = 55;
constexpr int kRowHeight = 17;
constexpr int kHeaderTop = 27;
constexpr int kHeaderBottom = 40;

}  // namespace

CDocumentPopup::CDocumentPopup(const PopupLook& look, DocumentContent content)
    : CPopup(look), content_(std::move(content)) {
    for (const RowSpec& row : content_.rows.rows) labels_.push_back(win::LoadText(row.labelId));
}

bool CDocumentPopup::ViewOffered() const {
    return DocumentViewOffered(content_.viewNever, content_.functionName, Settings().UseView, content_.subKind);
}

std::function<void()> CDocumentPopup::ViewOpener() const {
    return [url = content_.viewUrl, width = content_.viewWidth, height = content_.viewHeight] {
        OpenInBrowser(url, width, height);
    };
}

void CDocumentPopup::PrepareRows() {
    const bool big = Settings().UseBigFontMessage;
    auto& rows = content_.rows.rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].limit != 0)
            rows[i].value = PrepareRowText(rows[i].value, RowLimit(rows[i], i, big), IsAnsiLeadByte);
    }
}

void CDocumentPopup::Paint(HDC dc, const RECT& client) {
    const ClientSettings& settings = Settings();
    if (firstPaintPending_) {
        PrepareRows();
        firstPaintPending_ = false;
    }
    const bool big = settings.UseBigFontMessage;
    const HFONT bold = CreatePopupFont(dc, 11, true);
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HGDIOBJ original = SelectObject(dc, bold);
    // The layout is given in pixels at 96 dots per inch; the fonts follow the screen's resolution.
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const auto px = [dpi](int pixels) { return ScaleToDpi(pixels, dpi); };
    const int right = Width() - px(10);

    std::string header = content_.header;
    if (content_.urgentPrefix) header = settings.UrgentLabel + header;
    // The header's box grows downwards as far as the bold font's line (or wrapped lines) need.
    const UINT headerFormat = content_.wrapHeader ? DT_WORDBREAK : 0;
    RECT headerRect = content_.wrapHeader ? RECT{px(66), px(kHeaderTop), right, px(kHeaderBottom)}
                                          : RECT{px(57), px(kHeaderTop), client.right, px(kHeaderBottom)};
    const RECT headerNeed = NeededBox(dc, header, headerRect, headerFormat);
    headerRect.bottom = FitBottom(headerRect.top, headerRect.bottom, headerNeed.bottom - headerNeed.top);
    DrawPopupText(dc, "header", header, headerRect, headerFormat);

    const RECT buttons = ButtonsBox();
    const Rect buttonsBox{buttons.left, buttons.top, buttons.right, buttons.bottom};
    const DocumentRows& rows = content_.rows;
    // Values share one left edge, which no label's text reaches into (the alert's gap is negative);
    // a label column too narrow for its labels in this font grows.
    SelectObject(dc, regular);
    int widestLabel = 0;
    for (std::size_t i = big ? 1 : 0; i < labels_.size(); ++i)
        widestLabel = std::max(widestLabel, TextWidth(dc, labels_[i]));
    const int labelWidth = FitLabelWidth(px(rows.labelWidth), widestLabel);
    const int valueLeft = RowValueLeft(px(kRowLeft), labelWidth, px(settings.LabelGap), widestLabel);
    if (!valuesLogged_) {
        win::Log("pop-up %s values at x=%d\n", Look().familyName, valueLeft);
        valuesLogged_ = true;
    }
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        const RowSpec& row = rows.rows[i];
        const bool bigRow = i == 0 && big;
        SelectObject(dc, bigRow ? bold : regular);
        const int top = px(kRowTop + kRowHeight * static_cast<int>(i));
        const int bottom = px(kRowTop + kRowHeight * static_cast<int>(i + 1));
        int rowLabelWidth = labelWidth;
        int left = valueLeft;
        if (bigRow) {
            const int labelText = TextWidth(dc, labels_[i]);
            rowLabelWidth = FitLabelWidth(px(rows.firstLabelWidthBig), labelText);
            left = RowValueLeft(px(kRowLeft), rowLabelWidth, px(settings.LabelGap), labelText);
        }
        const std::string index = std::to_string(i);
        if (!labels_[i].empty()) {
            const RECT labelRect{px(kRowLeft), top, px(kRowLeft) + rowLabelWidth, bottom};
            DrawPopupText(dc, "label" + index, labels_[i], labelRect, DT_NOPREFIX);
        }
        // Values drawn as received keep a "&" as it is; prepared ones have it doubled already. A
        // value wider than its box ends in "..." rather than in a cut character.
        const RECT valueRect{left, top, FitRowRight(right, bottom, buttonsBox), bottom};
        DrawPopupText(dc, "value" + index, row.value, valueRect, DT_END_ELLIPSIS | (row.limit != 0 ? 0 : DT_NOPREFIX));
    }
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
