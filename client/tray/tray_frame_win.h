#pragma once

#include "tray/tray_menu.h"
#include "win/window.h"

namespace mirelo {

class CNotifyClient;

inline constexpr char kTrayFrameTitle[] = "CNotifyClient Resurrection Notification Window";

// Hidden frame that blinks the tray icon, and answers the taskbar's re-creation by adding the icon
// again.
class CTrayFrame final : public win::Window {
public:
    explicit CTrayFrame(CNotifyClient& client) : Window(/*selfDeleting=*/false), client_(client) {}
    ~CTrayFrame() override;

    bool CreateHidden();
    void StartBlink();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnBlinkTick();

    CNotifyClient& client_;
    HICON normalIcon_ = nullptr;
    HICON highlightIcon_ = nullptr;
    BlinkCounter blink_;
    int blinkTicks_ = 0;
    UINT taskbarCreated_ = 0;
};

}  // namespace mirelo
