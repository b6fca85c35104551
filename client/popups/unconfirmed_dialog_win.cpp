#include "popups/unconfirmed_dialog_win.h"

#include <windows.h>

#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "popups/popup_text.h"
#include "popups/popup_win.h"
#include "store/support_win.h"
#include "win/dialog.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr int kTemplate = 211;

HWND g_open = nullptr;

class CUnconfirmedDlg final : public win::Dialog {
public:
    CUnconfirmedDlg() : Dialog(kTemplate) {}

protected:
    BOOL OnInitDialog() override {
        g_open = Handle();
        RECT window{};
        GetWindowRect(Handle(), &window);
        const int width = window.right - window.left;
        const int height = window.bottom - window.top;
        const ClientSettings& settings = Settings();
        const auto at = PlaceInWorkArea(settings.WorkArea, width, height, settings.DisplayPos);
        SetWindowPos(Handle(), HWND_TOPMOST, at ? at->x : window.left, at ? at->y : window.top, width, height,
                     SWP_SHOWWINDOW);
        ShowWindow(Handle(), SW_SHOWNORMAL);
        BringWindowToTop(Handle());
        SetFocus(Handle());
        SetForegroundWindow(Handle());
        win::Log("unconfirmed-messages dialog shown\n");
        return FALSE;  // the focus was set here
    }

    BOOL OnCommand(int id, int) override {
        if (id == IDOK) {
            win::Log("unconfirmed-messages dialog: yes\n");
            CPopup::EnterClosePending();
            DestroyWindow(Handle());
            return TRUE;
        }
        if (id == IDCANCEL) {
            win::Log("unconfirmed-messages dialog: no\n");
            DestroyWindow(Handle());  // deletes this object
            RequestExit(0);
            return TRUE;
        }
        return FALSE;
    }

    void OnFinalDestroy() override { g_open = nullptr; }
};

}  // namespace

void ShowUnconfirmedMessagesDialog() {
    if (g_open != nullptr) {
        SetForegroundWindow(g_open);
        return;
    }
    const CMainFrame* frame = MainFrame();
    (new CUnconfirmedDlg())->CreateModeless(frame != nullptr ? frame->Handle() : nullptr);
}

}  // namespace mirelo
