#include "popups/document_popup_win.h"

#include "core/settings_win.h"
#include "popups/popup_text.h"
#include "store/browser_win.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr int kRowLeft = 10;
constexpr int kRowTop = 55;
constexpr int kRowHeight = 17;
constexpr int kHeaderTop = 27;
constexpr int kHeaderBottom = 40;

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace

CDocumentPopup::CDocumentPopup(const PopupLook& look, DocumentContent content)
    : CPopup(look), content_(std::move(content)) {}

bool CDocumentPopup::ViewOffered() const {
    return !content_.viewNever && !content_.functionName.empty() && Settings().UseView && content_.subKind != 2;
}

void CDocumentPopup::OpenView() { OpenInBrowser(content_.viewUrl, content_.viewWidth, content_.viewHeight); }

void CDocumentPopup::PrepareRows() {
    const bool big = Settings().UseBigFontMessage;
    for (std::size_t i = 0; i < content_.rows.size(); ++i) {
        PopupRow& row = content_.rows[i];
        if (!row.prepared) continue;
        const std::size_t limit = i == 0 && big ? kBigFontLimit : row.limit;
        row.value = PrepareRowText(row.value, limit, IsLeadByte);
    }
}

void CDocumentPopup::Paint(HDC dc, const RECT& client) {
    if (firstPaintPending_) {
        PrepareRows();
        firstPaintPending_ = false;
    }
    const ClientSettings& settings = Settings();
    const bool big = settings.UseBigFontMessage;
    const HFONT bold = CreatePopupFont(dc, 11, true);
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HGDIOBJ original = SelectObject(dc, bold);

    std::string header = content_.header;
    if (content_.urgentPrefix) header = settings.UrgentLabel + header;
    RECT headerRect = content_.wrapHeader ? RECT{66, kHeaderTop, Width() - 10, kHeaderBottom}
                                          : RECT{57, kHeaderTop, client.right, kHeaderBottom};
    DrawTextA(dc, header.c_str(), -1, &headerRect, content_.wrapHeader ? DT_WORDBREAK : 0);

    for (std::size_t i = 0; i < content_.rows.size(); ++i) {
        const PopupRow& row = content_.rows[i];
        const bool bigRow = i == 0 && big;
        SelectObject(dc, bigRow ? bold : regular);
        const int labelWidth = bigRow ? content_.firstLabelWidthBig : content_.labelWidth;
        const int top = kRowTop + kRowHeight * static_cast<int>(i);
        if (!row.label.empty()) {
            RECT labelRect{kRowLeft, top, kRowLeft + labelWidth, top + kRowHeight};
            DrawTextA(dc, row.label.c_str(), -1, &labelRect, DT_NOPREFIX);
        }
        // Values drawn as received keep a "&" as it is; prepared ones have it doubled already.
        RECT valueRect{kRowLeft + labelWidth + settings.LabelGap, top, Width() - 10, top + kRowHeight};
        DrawTextA(dc, row.value.c_str(), -1, &valueRect, row.prepared ? 0 : DT_NOPREFIX);
    }
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
