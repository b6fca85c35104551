#include "popups/popup_spares_win.h"

#include <map>
#include <string>

#include "popups/alert_popup_win.h"
#include "resources/resource.h"
#include "win/async_socket.h"
#include "win/dialog.h"
#include "win/log.h"

namespace mirelo {

namespace {

// The templates of the pop-up families: document (132 to 134), message, notice text, animated
// notifier and alert.
constexpr int kPopupTemplates[] = {132, 133, 134, 135, 150, 188, IDD_ALERT};
constexpr UINT kRetryMs = 500;

struct Spare {
    HWND window = nullptr;  // null: the template could not be created, and is not tried again
    std::string caption;
};

std::map<int, Spare>& Spares() {
    static std::map<int, Spare> spares;
    return spares;
}

UINT_PTR g_timer = 0;

void CALLBACK OnSpareTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (id == g_timer) g_timer = 0;
    PrepareSpareWindows();
}

}  // namespace

HWND TakeSpareWindow(int templateId) {
    const auto found = Spares().find(templateId);
    if (found == Spares().end() || found->second.window == nullptr) return nullptr;
    const Spare spare = found->second;
    Spares().erase(found);
    if (!IsWindow(spare.window)) return nullptr;
    if (!spare.caption.empty()) SetWindowTextA(spare.window, spare.caption.c_str());
    return spare.window;
}

void PrepareSpareWindows() {
    int made = 0;
    for (const int templateId : kPopupTemplates) {
        if (const auto found = Spares().find(templateId);
            found != Spares().end() && (found->second.window == nullptr || IsWindow(found->second.window))) {
            continue;
        }
        // A waiting notification comes first.
        if (win::SocketEventsWaiting()) {
            PrepareSpareWindowsLater(kRetryMs);
            break;
        }
        Spare spare;
        spare.window = win::Dialog::CreateUnbound(templateId);
        if (spare.window == nullptr) {
            win::Log("template %d: no window made ahead for its pop-ups\n", templateId);
        } else {
            if (templateId == IDD_ALERT) LayOutAlertWindow(spare.window);
            char caption[256] = "";
            GetWindowTextA(spare.window, caption, sizeof(caption));
            spare.caption = caption;
            // Untitled while hidden: whatever looks for pop-ups by their caption must not find it.
            if (!spare.caption.empty()) SetWindowTextA(spare.window, "");
            ++made;
        }
        Spares()[templateId] = spare;
    }
    if (made != 0) win::Log("windows made ahead for pop-ups: %d\n", made);
}

void PrepareSpareWindowsLater(UINT delayMs) {
    if (g_timer == 0) g_timer = SetTimer(nullptr, 0, delayMs, &OnSpareTimer);
}

}  // namespace mirelo
