#include "popups/auto_scroll_edit_win.h"

#include <commctrl.h>

#include "popups/popup_win.h"

namespace mirelo {

namespace {

constexpr UINT_PTR kSubclassId = 1;

UINT CheckTextMessage() {
    static const UINT message = RegisterWindowMessageA("UWM_CHECKTEXT_MSG-{D53C7065_FD4C_138A_BC72_01A0253651C0}");
    return message;
}

}  // namespace

CAutoScrollEdit::~CAutoScrollEdit() {
    if (edit_ != nullptr && IsWindow(edit_)) RemoveWindowSubclass(edit_, &CAutoScrollEdit::Procedure, kSubclassId);
}

void CAutoScrollEdit::Attach(HWND edit) {
    edit_ = edit;
    if (edit_ == nullptr) return;
    SetWindowSubclass(edit_, &CAutoScrollEdit::Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CAutoScrollEdit::SetText(const std::string& text) {
    if (edit_ == nullptr) return;
    Adjust(text);
    SetWindowTextA(edit_, text.c_str());
}

std::string CAutoScrollEdit::Text() const {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit_)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(edit_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CAutoScrollEdit::Adjust(const std::string& text) {
    RECT client{};
    GetClientRect(edit_, &client);
    const ScrollBars& shown = bars_.Shown();
    TextBoxMetrics box;
    box.verticalBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    box.horizontalBarHeight = GetSystemMetrics(SM_CYHSCROLL);
    // The area without any bar: the decision must not depend on the bars shown now.
    box.width = client.right + (shown.vertical ? box.verticalBarWidth : 0);
    box.height = client.bottom + (shown.horizontal ? box.horizontalBarHeight : 0);
    ScrollBars needed;
    if (const auto font = reinterpret_cast<HFONT>(SendMessageA(edit_, WM_GETFONT, 0, 0)); font != nullptr) {
        const HDC dc = GetDC(edit_);
        const HGDIOBJ original = SelectObject(dc, font);
        SIZE blank{};
        GetTextExtentPoint32A(dc, " ", 1, &blank);
        box.lineHeight = blank.cy;
        needed = DecideScrollBars(
            text, [dc](std::string_view line) { return TextWidth(dc, line); }, box);
        SelectObject(dc, original);
        ReleaseDC(edit_, dc);
    }
    const ScrollBars changed = bars_.Apply(needed);
    if (changed.horizontal) ShowScrollBar(edit_, SB_HORZ, needed.horizontal ? TRUE : FALSE);
    if (changed.vertical) ShowScrollBar(edit_, SB_VERT, needed.vertical ? TRUE : FALSE);
}

LRESULT CALLBACK CAutoScrollEdit::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<CAutoScrollEdit*>(data);
    try {
        if (message == WM_CHAR) {
            // The check runs after the character is in the text.
            PostMessageA(hwnd, CheckTextMessage(), 0, 0);
        } else if (message == CheckTextMessage()) {
            self->Adjust(self->Text());
            return 0;
        } else if (message == WM_SETFONT) {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            self->Adjust(self->Text());
            return result;
        } else if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, &CAutoScrollEdit::Procedure, kSubclassId);
            self->edit_ = nullptr;
        }
    } catch (...) {
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace mirelo
