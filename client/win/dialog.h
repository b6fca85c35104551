#pragma once

#include <windows.h>

namespace mirelo::win {

// A dialog from a resource template. The object is bound to its HWND at WM_INITDIALOG and
// receives messages through OnMessage; OnInitDialog and OnCommand cover the common cases.
class Dialog {
public:
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the code given to EndDialog, or -1 when it cannot be shown.
    INT_PTR RunModal(HWND owner);

    HWND Handle() const { return hwnd_; }

protected:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual BOOL OnInitDialog() { return TRUE; }
    // Default: IDOK and IDCANCEL end the dialog with their id.
    virtual BOOL OnCommand(int id, int notifyCode);
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
};

// Centres a window on the desktop work area.
void CenterOnWorkArea(HWND hwnd);

}  // namespace mirelo::win
