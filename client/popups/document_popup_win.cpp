#include "popups/document_popup_win.h"

#include <algorithm>

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
    RECT headerRect = content_.wrapHeader ? RECT{px(66), px(kHeaderTop), right, px(kHeaderBottom)}
                                          : RECT{px(57), px(kHeaderTop), client.right, px(kHeaderBottom)};
    DrawTextA(dc, header.c_str(), -1, &headerRect, content_.wrapHeader ? DT_WORDBREAK : 0);

    const DocumentRows& rows = content_.rows;
    // Values share one left edge, which no label's text reaches into (the alert's gap is negative).
    SelectObject(dc, regular);
    int widestLabel = 0;
    for (std::size_t i = big ? 1 : 0; i < labels_.size(); ++i)
        widestLabel = std::max(widestLabel, TextWidth(dc, labels_[i]));
    const int valueLeft = RowValueLeft(px(kRowLeft), px(rows.labelWidth), px(settings.LabelGap), widestLabel);
    if (!valuesLogged_) {
        win::Log("pop-up %s values at x=%d\n", Look().familyName, valueLeft);
        valuesLogged_ = true;
    }
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        const RowSpec& row = rows.rows[i];
        const bool bigRow = i == 0 && big;
        SelectObject(dc, bigRow ? bold : regular);
        const int labelWidth = px(bigRow ? rows.firstLabelWidthBig : rows.labelWidth);
        const int top = px(kRowTop + kRowHeight * static_cast<int>(i));
        const int bottom = px(kRowTop + kRowHeight * static_cast<int>(i + 1));
        if (!labels_[i].empty()) {
            RECT labelRect{px(kRowLeft), top, px(kRowLeft) + labelWidth, bottom};
            DrawTextA(dc, labels_[i].c_str(), -1, &labelRect, DT_NOPREFIX);
        }
        // Values drawn as received keep a "&" as it is; prepared ones have it doubled already.
        const int left = bigRow
                             ? RowValueLeft(px(kRowLeft), labelWidth, px(settings.LabelGap), TextWidth(dc, labels_[i]))
                             : valueLeft;
        RECT valueRect{left, top, right, bottom};
        DrawTextA(dc, row.value.c_str(), -1, &valueRect, row.limit != 0 ? 0 : DT_NOPREFIX);
    }
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
