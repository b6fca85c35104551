#include "popups/notice_popup_win.h"

#include "core/settings_win.h"
#include "popups/popup_text.h"
#include "forwarding/forwarding_win.h"
#include "resources/string_ids.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr int kTextBox = 1013;
constexpr COLORREF kTitleColour = RGB(0, 100, 180);

PopupLook NoticeLook() {
    PopupLook look;
    look.templateId = 150;
    look.list = kListNotice;
    look.closeOnClick = false;
    look.closeByCaption = false;
    look.familyName = "notice";
    return look;
}

}  // namespace

bool NoticeViewOffered(const NoticeLink& link) {
    return !link.functionName.empty() && Settings().UseView && link.bizAppPresent;
}

void OpenNoticeLink(const NoticeLink& link) {
    if (!link.functionName.empty()) SendData(link.linkType, link.functionName, link.viewUrl);
}

CNoticePopup::CNoticePopup(NoticeContent content) : CPopup(NoticeLook()), content_(std::move(content)) {}

BOOL CNoticePopup::OnInitDialog() {
    const BOOL focus = CPopup::OnInitDialog();
    const HWND box = GetDlgItem(Handle(), kTextBox);
    edit_.Attach(box);
    SendMessageA(box, EM_LIMITTEXT, content_.body.size(), 0);
    edit_.SetText(content_.body);
    return focus;
}

INT_PTR CNoticePopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        case WM_COMMAND:
            if (LOWORD(wParam) == kTextBox && HIWORD(wParam) == EN_SETFOCUS) {
                HideCaret(reinterpret_cast<HWND>(lParam));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            if (editFont_ != nullptr) {
                SendMessageA(GetDlgItem(Handle(), kTextBox), WM_SETFONT, 0, FALSE);
                DeleteObject(editFont_);
                editFont_ = nullptr;
            }
            break;
        default: break;
    }
    return CPopup::OnMessage(message, wParam, lParam);
}

bool CNoticePopup::ViewOffered() const { return NoticeViewOffered(content_.link); }

std::function<void()> CNoticePopup::ViewOpener() const {
    return [link = content_.link] { OpenNoticeLink(link); };
}

void CNoticePopup::Paint(HDC dc, const RECT& client) {
    if (editFont_ == nullptr) {
        editFont_ = CreatePopupFont(dc, 9, false);
        SendMessageA(GetDlgItem(Handle(), kTextBox), WM_SETFONT, reinterpret_cast<WPARAM>(editFont_), TRUE);
    }
    const HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 5, 3, client.right - 5, client.bottom - 35);
    SelectObject(dc, brush);
    SelectObject(dc, pen);

    const HFONT bold = CreatePopupFont(dc, 11, true);
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HGDIOBJ original = SelectObject(dc, bold);
    SetTextColor(dc, kTitleColour);
    RECT titleRect{10, 8, client.right - 8, client.bottom - 38};
    const UINT format = content_.title.wrap ? DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX : DT_NOPREFIX;
    DrawPopupText(dc, "title", content_.title.text, titleRect, format);

    SelectObject(dc, regular);
    SetTextColor(dc, RGB(0, 0, 0));
    const std::string footer = win::LoadText(IDS_DATE_LABEL) + " " + content_.date;
    // The footer's line grows downwards to the font where 12 pixels would cut it.
    const int footerTop = static_cast<int>(client.bottom) - 53;
    const RECT footerRect{10, footerTop, client.right - 8,
                          FitBottom(footerTop, static_cast<int>(client.bottom) - 41, LineHeight(dc))};
    DrawPopupText(dc, "footer", footer, footerRect, DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
