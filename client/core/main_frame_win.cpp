#include "core/main_frame_win.h"

#include "core/about_dialog_win.h"
#include "core/settings_win.h"
#include "resources/resource.h"
#include "resources/string_ids.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

CMainFrame* CMainFrame::CreateHidden() {
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
    if (!Window::RegisterClass(kMainFrameClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon)) {
        return nullptr;
    }
    auto* frame = new CMainFrame();
    // A failed creation has already destroyed, and so deleted, the frame.
    if (!frame->Create(kMainFrameClass, kMainFrameTitle, WS_OVERLAPPEDWINDOW, 0, nullptr)) return nullptr;
    ShowWindow(frame->Handle(), SW_HIDE);
    UpdateWindow(frame->Handle());
    return frame;
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Settings().AlertCaption = win::LoadText(IDS_ALERT_CAPTION);
            Log("main frame created\n");
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_DESTROY:
            Log("main frame destroyed\n");
            PostQuitMessage(0);
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void CMainFrame::OnCommand(int id) {
    switch (id) {
        case ID_APP_ABOUT:
            ShowAboutBox(Handle());
            break;
        default:
            break;
    }
}

}  // namespace mirelo
