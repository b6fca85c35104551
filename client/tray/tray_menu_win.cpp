#include "tray/tray_menu_win.h"

#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "resources/resource.h"
#include "tray/tray_menu.h"
#include "win/log.h"
#include "win/nested_loop.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mirelo {

namespace {

constexpr DWORD kMenuDelayMs = 20;

// The top-level entries of the menu as loaded, with the commands of each submenu.
std::vector<TrayMenuEntry> Entries(HMENU popup) {
    std::vector<TrayMenuEntry> entries(static_cast<size_t>(std::max(GetMenuItemCount(popup), 0)));
    for (size_t i = 0; i < entries.size(); ++i) {
        const HMENU submenu = GetSubMenu(popup, static_cast<int>(i));
        if (submenu == nullptr) {
            const UINT command = GetMenuItemID(popup, static_cast<int>(i));
            entries[i].command = command == static_cast<UINT>(-1) ? 0 : static_cast<int>(command);
            continue;
        }
        for (int j = 0; j < GetMenuItemCount(submenu); ++j) {
            const UINT command = GetMenuItemID(submenu, j);
            if (command != 0 && command != static_cast<UINT>(-1))
                entries[i].submenu.push_back(static_cast<int>(command));
        }
    }
    return entries;
}

void ApplyPlan(HMENU popup, const TrayMenuPlan& plan) {
    for (int position : PositionsToDelete(Entries(popup), plan.deleteCommands)) {
        DeleteMenu(popup, static_cast<UINT>(position), MF_BYPOSITION);
    }
    for (int command : plan.checked) CheckMenuItem(popup, static_cast<UINT>(command), MF_BYCOMMAND | MF_CHECKED);
    for (int command : plan.unchecked) CheckMenuItem(popup, static_cast<UINT>(command), MF_BYCOMMAND | MF_UNCHECKED);
}

// "About*|Always onTop[x]|Window Position>(Center[x],...)|..." : what the user is shown, for the log.
std::string Describe(HMENU menu) {
    std::string text;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char label[128] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = label;
        item.cch = sizeof(label) - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) continue;
        if (!text.empty()) text += '|';
        if (item.fType & MFT_SEPARATOR) {
            text += '-';
            continue;
        }
        text += label;
        if (item.fState & MFS_DEFAULT) text += '*';
        if (item.fState & MFS_CHECKED) text += "[x]";
        if (item.hSubMenu != nullptr) text += ">(" + Describe(item.hSubMenu) + ")";
    }
    return text;
}

}  // namespace

bool HandleTrayMessage(HWND frame, UINT iconId, UINT mouseMessage) {
    if (iconId != kTrayIconId) return false;
    const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    const HMENU popup = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
    if (popup == nullptr) {
        if (menu != nullptr) DestroyMenu(menu);
        return false;
    }
    if (mouseMessage == WM_RBUTTONUP) {
        Sleep(kMenuDelayMs);
        ApplyPlan(popup, PlanTrayMenu(Settings()));
        SetMenuDefaultItem(popup, kCmdAbout, FALSE);
        POINT cursor{};
        GetCursorPos(&cursor);
        win::Log("tray menu: %s\n", Describe(popup).c_str());
        SetForegroundWindow(frame);
        const win::NestedLoop modal;
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, frame, nullptr);
    }
    DestroyMenu(menu);
    return true;
}

}  // namespace mirelo
