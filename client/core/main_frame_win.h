#pragma once

#include <memory>

#include "win/window.h"

namespace mirelo {

class CNotifyClient;

inline constexpr char kMainFrameClass[] = "NotifyWnd";
inline constexpr char kMainFrameTitle[] = "QXNotifyTray";
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;
inline constexpr UINT kTrayIconId = 129;

// The client's hidden top-level window: owns the tray icon and the receiver, takes the tray's
// mouse messages and menu commands, runs the presence and log-out timers, and answers WM_COPYDATA
// from other programs. Other programs find it by its title.
class CMainFrame final : public win::Window {
public:
    CMainFrame();
    ~CMainFrame() override;

    // Registers the class and creates the hidden window. On failure the object is already deleted.
    static CMainFrame* CreateHidden();
    // Destroys the running main frame, if any (after the message loop, when an exit was deferred).
    static void DestroyRunning();

    CNotifyClient* Client() const { return client_.get(); }
    // Arms the log-out check when NotifyLogOutType asks for it and a business application runs.
    int ArmLogOutCheck();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate();
    void OnClose();
    void OnTimer(UINT_PTR id);
    void OnIdleTimer();
    void OnLogOutCheck();
    void OnCommand(int id);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void Exit();
    void OnDestroy();
    unsigned IdleMilliseconds() const;

    std::unique_ptr<CNotifyClient> client_;
    bool creating_ = true;  // until CreateHidden has the window
    bool destroying_ = false;
    bool autoAway_ = false;
    using LastInputFunction = DWORD(WINAPI*)();
    LastInputFunction idleUiLastInput_ = nullptr;
    bool hasLastInputInfo_ = false;
};

// The running main frame (null before it is created and after it is gone).
CMainFrame* MainFrame();
CNotifyClient* NotifyClient();

// Asks the main frame to run RequestExit(flag) once the current message is handled: a socket
// handler must not destroy the objects it runs in.
void PostExitRequest(int flag);

}  // namespace mirelo
