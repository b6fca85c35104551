#pragma once

#include <windows.h>

#include <string>

#include "popups/scroll_bars.h"

namespace mirelo {

// A multi-line edit control that shows its scroll bars only when its text needs them: checked when
// the text is set, after each typed character and when its font changes.
class CAutoScrollEdit {
public:
    CAutoScrollEdit() = default;
    CAutoScrollEdit(const CAutoScrollEdit&) = delete;
    CAutoScrollEdit& operator=(const CAutoScrollEdit&) = delete;
    ~CAutoScrollEdit();

    // Takes over an edit control of a dialog. Its template gives it both scroll bars, multi-line
    // editing and automatic scrolling (style bits 0x003000C4), since they cannot be added later.
    void Attach(HWND edit);
    // Adjusts the bars for the new text first, then sets it.
    void SetText(const std::string& text);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    void Adjust(const std::string& text);
    std::string Text() const;

    HWND edit_ = nullptr;
    ScrollBarState bars_;
};

}  // namespace mirelo
