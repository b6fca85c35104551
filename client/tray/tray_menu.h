#pragma once

#include <vector>

namespace mirelo {

class ClientSettings;

// Command ids of the tray menu.
enum TrayCommand : int {
    kCmdPosCenter = 32772,
    kCmdPosLeftTop = 32773,
    kCmdPosRightTop = 32774,
    kCmdPosLeftBottom = 32775,
    kCmdPosRightBottom = 32776,
    kCmdUseMail = 32778,
    kCmdUseBbs = 32779,
    kCmdUseApproval = 32780,
    kCmdUseSchedule = 32781,
    kCmdAlwaysOnTop = 32782,
    kCmdOnlyUrgency = 32783,
    kCmdStatusOnline = 32784,
    kCmdLogOn = 32789,
    kCmdLogOut = 32790,
    kCmdNeverClose = 32793,
    kCmdClose3s = 32794,
    kCmdClose10s = 32795,
    kCmdClose30s = 32796,
    kCmdQuietWhilePresenting = 32797,
    kCmdHistory = 32798,
    kCmdAbout = 57664,
    kCmdExit = 57665,
};

// How the freshly loaded menu is adjusted before it is shown. Entries are named by command, since
// the languages' menus differ in length and order: a command inside a submenu names that submenu.
struct TrayMenuPlan {
    std::vector<int> deleteCommands;
    std::vector<int> checked;
    std::vector<int> unchecked;
};

TrayMenuPlan PlanTrayMenu(const ClientSettings& settings);

// One top-level entry of the menu as loaded: its command, or the commands of its submenu.
struct TrayMenuEntry {
    int command = 0;
    std::vector<int> submenu;
};

// The positions in `menu` of the entries that `commands` name, highest first, so that deleting
// them in this order never moves one still to be deleted. Commands the menu lacks are skipped.
std::vector<int> PositionsToDelete(const std::vector<TrayMenuEntry>& menu, const std::vector<int>& commands);

// Applies a settings command of the tray menu to the in-memory settings. Returns false for a
// command that is not a settings command. A position change asks the caller to refresh WorkArea.
struct SettingsCommandResult {
    bool handled = false;
    bool positionChanged = false;
};
SettingsCommandResult ApplySettingsCommand(int command, ClientSettings& settings);

// The icon blink: eleven 400 ms ticks from a start, alternating, ending on the normal icon.
class BlinkCounter {
public:
    static constexpr int kSteps = 10;
    static constexpr unsigned kPeriodMs = 400;

    void Start() { counter_ = kSteps; }
    struct Tick {
        bool highlight = false;
        bool stop = false;
    };
    Tick Next();
    int Counter() const { return counter_; }

private:
    int counter_ = 0;
};

}  // namespace mirelo
