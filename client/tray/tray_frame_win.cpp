#include "tray/tray_frame_win.h"

#include "reception/notify_client_win.h"
#include "resources/resource.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr char kTrayFrameClass[] = "MireloTrayFrame";
constexpr UINT_PTR kBlinkTimer = 0;

}  // namespace

CTrayFrame::~CTrayFrame() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

bool CTrayFrame::CreateHidden() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    normalIcon_ = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRAY), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    highlightIcon_ = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRAY_BLINK), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    if (!Window::RegisterClass(kTrayFrameClass, 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr)) return false;
    return Create(kTrayFrameClass, kTrayFrameTitle, WS_OVERLAPPEDWINDOW, 0, nullptr);
}

void CTrayFrame::StartBlink() {
    if (Handle() == nullptr) return;
    blink_.Start();
    blinkTicks_ = 0;
    SetTimer(Handle(), kBlinkTimer, BlinkCounter::kPeriodMs, nullptr);
}

void CTrayFrame::OnBlinkTick() {
    const BlinkCounter::Tick tick = blink_.Next();
    ++blinkTicks_;
    client_.ShowTrayIcon(tick.highlight ? highlightIcon_ : normalIcon_);
    if (tick.stop) {
        KillTimer(Handle(), kBlinkTimer);
        win::Log("tray blink ended after %d ticks\n", blinkTicks_);
    }
}

LRESULT CTrayFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // The shell forgot every icon when the taskbar was re-created. Removing first makes the add
        // succeed also when the message came without a real re-creation.
        win::Log("taskbar re-created: tray icon added again\n");
        client_.RemoveTrayIcon();
        client_.AddTrayIcon();
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wParam == kBlinkTimer) OnBlinkTick();
            return 0;
        case WM_DESTROY:
            KillTimer(Handle(), kBlinkTimer);
            client_.RemoveTrayIcon();
            return 0;
        default: return Default(message, wParam, lParam);
    }
}

}  // namespace mirelo
