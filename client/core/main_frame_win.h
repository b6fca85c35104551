#pragma once

#include "win/window.h"

namespace mirelo {

inline constexpr char kMainFrameClass[] = "NotifyWnd";
inline constexpr char kMainFrameTitle[] = "QXNotifyTray";

// The client's hidden top-level window. Other programs find it by its title; closing it ends the
// message loop and so the client.
class CMainFrame final : public win::Window {
public:
    CMainFrame() : Window(/*selfDeleting=*/true) {}

    // Registers the class and creates the window. On failure the object is already deleted.
    static CMainFrame* CreateHidden();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCommand(int id);
};

}  // namespace mirelo
