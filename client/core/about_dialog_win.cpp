#include "core/about_dialog_win.h"

#include "resources/resource.h"
#include "store/support_win.h"
#include "win/dialog.h"
#include "win/log.h"

namespace mirelo {

namespace {

class CAboutDlg final : public win::Dialog {
public:
    CAboutDlg() : Dialog(IDD_ABOUT) {}

protected:
    BOOL OnInitDialog() override {
        const std::string version = GetVersionString(nullptr, "FileVersion");
        SetDlgItemTextA(Handle(), IDC_ABOUT_VERSION, version.c_str());
        win::CenterOnWorkArea(Handle());
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        win::Log("about box shown, version %s\n", version.c_str());
        return TRUE;
    }
};

}  // namespace

void ShowAboutBox(HWND owner) {
    CAboutDlg dialog;
    dialog.RunModal(owner);
}

}  // namespace mirelo
