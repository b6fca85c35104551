#include "popups/animated_notifier_win.h"

#include <string>

#include "popups/popup_text.h"

namespace mirelo {

namespace {

constexpr int kHeaderLeft = 66;
constexpr int kHeaderTop = 27;
constexpr int kHeaderBottom = 40;
constexpr int kRowLeft = 11;
constexpr int kRowTop = 55;
constexpr int kRowHeight = 17;

PopupLook NotifierPopupLook(const std::string& icon) {
    const NotifierLook chosen = NotifierLookOf(icon, IsAnsiLeadByte);
    PopupLook look;
    look.templateId = 188;
    look.list = kListAnimated;
    look.background = RGB(chosen.background.red, chosen.background.green, chosen.background.blue);
    look.clipName = chosen.clipName;
    look.clipRect = RECT{chosen.clip.left, chosen.clip.top, chosen.clip.right, chosen.clip.bottom};
    look.autoClose = false;
    look.familyName = "notifier";
    return look;
}

}  // namespace

CAnimatedNotifier::CAnimatedNotifier(const NotifierFields& fields, NoticeLink link)
    : CPopup(NotifierPopupLook(fields.icon)), fields_(fields), link_(std::move(link)) {}

bool CAnimatedNotifier::ViewOffered() const { return NoticeViewOffered(link_); }

std::function<void()> CAnimatedNotifier::ViewOpener() const {
    return [link = link_] { OpenNoticeLink(link); };
}

void CAnimatedNotifier::Paint(HDC dc, const RECT&) {
    if (firstPaintPending_) {
        fields_.rows[0] = PrepareRowText(fields_.rows[0], kNotifierRowLimit, IsAnsiLeadByte);
        firstPaintPending_ = false;
    }
    SetTextColor(dc, RGB(0, 0, 0));
    const HFONT bold = CreatePopupFont(dc, 11, true);
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HGDIOBJ original = SelectObject(dc, bold);
    // The header's box grows downwards as far as the bold font's lines need.
    constexpr UINT kHeaderFormat = DT_WORDBREAK | DT_NOPREFIX;
    RECT headerRect{kHeaderLeft, kHeaderTop, Width() - 10, kHeaderBottom};
    const RECT need = NeededBox(dc, fields_.header, headerRect, kHeaderFormat);
    headerRect.bottom = FitBottom(kHeaderTop, kHeaderBottom, need.bottom - need.top);
    DrawPopupText(dc, "header", fields_.header, headerRect, kHeaderFormat);

    SelectObject(dc, regular);
    for (std::size_t n = 0; n < fields_.rows.size(); ++n) {
        const int top = kRowTop + kRowHeight * static_cast<int>(n);
        const RECT rowRect{kRowLeft, top, Width() - 10, top + kRowHeight};
        // Row 0 has its "&" doubled already; the others are drawn as received. A row wider than its
        // box ends in "..." rather than in a cut character.
        DrawPopupText(dc, "value" + std::to_string(n), fields_.rows[n], rowRect,
                      DT_END_ELLIPSIS | (n == 0 ? 0 : DT_NOPREFIX));
    }
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
