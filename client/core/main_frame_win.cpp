#include "core/main_frame_win.h"

#include "core/about_dialog_win.h"
#include "core/settings_win.h"
#include "messenger/messenger_protocol.h"
#include "messenger/messenger_win.h"
#include "popups/popup_spares_win.h"
#include "reception/notify_client_win.h"
#include "resources/resource.h"
#include "resources/string_ids.h"
#include "store/history_store_win.h"
#include "store/history_window_win.h"
#include "store/notification_store_win.h"
#include "store/support_win.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_win.h"
#include "win/log.h"
#include "win/message_box.h"
#include "win/nested_loop.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

namespace {

constexpr UINT_PTR kLogOutTimer = 1000;
constexpr UINT_PTR kIdleTimer = 1001;
constexpr UINT kIdlePeriodMs = 3000;
constexpr UINT kSpareWindowsDelayMs = 1000;  // after the start, before the pop-up windows are made ahead
constexpr UINT kExitRequestMessage = WM_APP + 10;
constexpr ULONG_PTR kCopyDataExit = 3000;
constexpr char kBusinessAppClass[] = "QXNotifyBiz";

CMainFrame* g_mainFrame = nullptr;
bool g_exitDeferred = false;

// A nested loop may take the quit message without posting it again: once the last one has ended,
// a deferred exit is asked for once more.
void RepeatDeferredExit() {
    if (g_exitDeferred) PostQuitMessage(0);
}

}  // namespace

CMainFrame* MainFrame() { return g_mainFrame; }

CNotifyClient* NotifyClient() { return g_mainFrame != nullptr ? g_mainFrame->Client() : nullptr; }

void PostExitRequest(int flag) {
    if (g_mainFrame != nullptr) PostMessageA(g_mainFrame->Handle(), kExitRequestMessage, flag, 0);
}

CMainFrame::CMainFrame() : Window(/*selfDeleting=*/true) {
    win::NestedLoop::SetOutermostEndHandler(&RepeatDeferredExit);
}

CMainFrame::~CMainFrame() {
    if (g_mainFrame == this) g_mainFrame = nullptr;
}

CMainFrame* CMainFrame::CreateHidden() {
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
    if (!Window::RegisterClass(kMainFrameClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon)) {
        return nullptr;
    }
    auto* frame = new CMainFrame();
    // A failed creation has already destroyed, and so deleted, the frame.
    if (!frame->Create(kMainFrameClass, kMainFrameTitle, WS_OVERLAPPEDWINDOW, 0, nullptr)) return nullptr;
    frame->creating_ = false;
    ShowWindow(frame->Handle(), SW_HIDE);
    UpdateWindow(frame->Handle());
    return frame;
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate();
        case WM_TIMER: OnTimer(wParam); return 0;
        case kTrayCallbackMessage:
            if (HandleTrayMessage(Handle(), static_cast<UINT>(wParam), static_cast<UINT>(lParam)) &&
                lParam == WM_LBUTTONDBLCLK) {
                SendMessageA(Handle(), WM_COMMAND, kCmdAbout, 0);
            }
            return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
        case WM_COPYDATA: return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case kExitRequestMessage: RequestExit(static_cast<int>(wParam)); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: return Default(message, wParam, lParam);
    }
}

LRESULT CMainFrame::OnCreate() {
    ClientSettings& settings = Settings();
    if (!client_) client_ = std::make_unique<CNotifyClient>();
    settings.AlertCaption = win::LoadText(IDS_ALERT_CAPTION);
    g_mainFrame = this;
    if (!client_->Create(Handle(), kTrayIconId, "NotifyClient", IDI_TRAY, kTrayCallbackMessage)) {
        win::ShowMessageBox(nullptr, win::LoadText(IDS_TRAY_ICON_FAILED), MB_OK | MB_ICONHAND);
        client_.reset();
        g_mainFrame = nullptr;
        return -1;
    }
    if (const HMODULE user32 = GetModuleHandleA("user32")) {
        hasLastInputInfo_ = GetProcAddress(user32, "GetLastInputInfo") != nullptr;
    }
    if (!hasLastInputInfo_) {
        if (const HMODULE idleUi = LoadLibraryA("idleui.dll")) {
            idleUiLastInput_ = reinterpret_cast<LastInputFunction>(GetProcAddress(idleUi, "IdleUIGetLastInputTime"));
        }
    }
    SetTimer(Handle(), kIdleTimer, kIdlePeriodMs, nullptr);
    // Not at once: a notification that arrives right after the start must not wait for them.
    PrepareSpareWindowsLater(kSpareWindowsDelayMs);
    Log("main frame created\n");
    return 0;
}

void CMainFrame::OnClose() {
    if (destroying_) return;
    if (creating_ || win::NestedLoop::Active()) {
        // Code below this message waits in a nested loop (a message box of the frame's own creation,
        // a menu, a dialog, a call that pumps) and still uses the frame: destroying it here would pull
        // it from under that code. The loops and the program end instead; the frame goes last.
        Log("exit requested in a nested loop: deferred\n");
        g_exitDeferred = true;
        EndMenu();
        PostQuitMessage(0);
        return;
    }
    DestroyWindow(Handle());
}

void CMainFrame::DestroyRunning() {
    if (g_mainFrame != nullptr && g_mainFrame->Handle() != nullptr) DestroyWindow(g_mainFrame->Handle());
}

unsigned CMainFrame::IdleMilliseconds() const {
    if (hasLastInputInfo_) {
        LASTINPUTINFO info{};
        info.cbSize = sizeof(info);
        if (GetLastInputInfo(&info)) return GetTickCount() - info.dwTime;
        return 0;
    }
    if (idleUiLastInput_ != nullptr) return GetTickCount() - idleUiLastInput_();
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == kIdleTimer) OnIdleTimer();
    if (id == kLogOutTimer) OnLogOutCheck();
}

void CMainFrame::OnIdleTimer() {
    ClientSettings& settings = Settings();
    switch (StepIdlePresence(IdleMilliseconds(), settings.onlineTimeout, settings.MessengerOnline,
                             settings.PresenceStatus, autoAway_)) {
        case IdleAction::AutoAway:
            SendPresence(PresenceText("AWY"));
            OutputDebugStringA("[Mirelo] auto-away\n");
            break;
        case IdleAction::AutoOnline:
            SendPresence(PresenceText("NLN"));
            OutputDebugStringA("[Mirelo] auto-online\n");
            break;
        case IdleAction::None: break;
    }
}

int CMainFrame::ArmLogOutCheck() {
    const ClientSettings& settings = Settings();
    if (settings.NotifyLogOutType != 1) return settings.NotifyLogOutType - 1;
    if (FindWindowA(kBusinessAppClass, nullptr) == nullptr) return 0;
    SetTimer(Handle(), kLogOutTimer, static_cast<UINT>(settings.ElpaseTime), nullptr);
    Log("log-out check armed: every %d ms\n", settings.ElpaseTime);
    return 1;
}

void CMainFrame::OnLogOutCheck() {
    if (FindWindowA(kBusinessAppClass, nullptr) != nullptr) return;
    KillTimer(Handle(), kLogOutTimer);
    Log("business application gone: client ends\n");
    PostQuitMessage(0);
}

void CMainFrame::OnCommand(int id) {
    ClientSettings& settings = Settings();
    if (id == kCmdAbout) {
        ShowAboutBox(Handle());
        return;
    }
    if (id == kCmdExit) {
        Exit();
        return;
    }
    if (id == kCmdHistory) {
        ShowHistoryWindow();
        return;
    }
    if (const SettingsCommandResult result = ApplySettingsCommand(id, settings); result.handled) {
        if (result.positionChanged) RefreshWorkArea();
        Log("setting command %d\n", id);
        return;
    }
    HandleMessengerCommand(id);
}

void CMainFrame::Exit() {
    SendPresence(kMessengerExit);
    SendMessageA(Handle(), WM_CLOSE, 0, 0);
}

LRESULT CMainFrame::OnCopyData(const COPYDATASTRUCT* data) {
    const ULONG_PTR code = data != nullptr ? data->dwData : 0;
    Log("WM_COPYDATA code %lu\n", static_cast<unsigned long>(code));
    if (code == kCopyDataExit) {
        // Closing here would destroy the window while the sender waits in SendMessage: post it.
        SendPresence(kMessengerExit);
        PostMessageA(Handle(), WM_CLOSE, 0, 0);
        return TRUE;
    }
    StartMessenger();
    SendPresence(kMessengerShow);
    return Default(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(data));
}

void CMainFrame::OnDestroy() {
    destroying_ = true;
    if (Settings().AutoKill) KillTimer(Handle(), kLogOutTimer);
    KillTimer(Handle(), kIdleTimer);
    CloseHistoryWindow();
    FlushHistory();
    FlushStore();
    client_.reset();
    Log("main frame destroyed\n");
    PostQuitMessage(0);
}

}  // namespace mirelo
