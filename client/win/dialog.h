#pragma once

#include <windows.h>

#include <memory>

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
    // Creates the dialog modeless. A modeless dialog deletes its object after its window is gone;
    // when creation fails the object is deleted too and false is returned.
    bool CreateModeless(HWND owner);
    // Makes a window that CreateUnbound made this modeless dialog, as if it had just been created
    // from the template: WM_INITDIALOG runs now, and a TRUE result gives the first control the
    // focus as the dialog manager would. False, with the object untouched, when the window is gone.
    bool AdoptModeless(HWND window);
    // A hidden window of the template with no object behind it yet (messages get the dialog
    // manager's default handling), for AdoptModeless; null when it cannot be created. Unlike a
    // window created from the template, it does not take the foreground (DS_SETFOREGROUND).
    static HWND CreateUnbound(int templateId);
    // The window style the template declares; 0 when there is no such template.
    static DWORD TemplateStyle(int templateId);

    HWND Handle() const { return hwnd_; }
    // Expires when the object is deleted: code that may pump messages keeps it, and checks it before
    // it touches the dialog again.
    std::weak_ptr<const void> Lifetime() const { return life_; }

protected:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual BOOL OnInitDialog() { return TRUE; }
    // Default: IDOK and IDCANCEL end the dialog with their id.
    virtual BOOL OnCommand(int id, int notifyCode);
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs when the window is gone (Handle() still gives its old handle), just before a modeless
    // dialog deletes itself.
    virtual void OnFinalDestroy() {}

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd);
    INT_PTR Deliver(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modeless_ = false;
    std::shared_ptr<const void> life_ = std::make_shared<const int>(0);
};

// Lets the open modeless dialogs handle their keyboard messages (Tab, Enter, Esc). Returns true
// when the message was one of theirs and has been handled.
bool IsModelessDialogMessage(MSG& message);

// Centres a window on the desktop work area.
void CenterOnWorkArea(HWND hwnd);

}  // namespace mirelo::win
