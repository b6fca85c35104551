#include "tray/tray_menu.h"

#include "core/settings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace mirelo {

namespace {

constexpr std::array<std::pair<int, int>, 4> kAutoClose = {
    {{kCmdNeverClose, 0}, {kCmdClose3s, 3000}, {kCmdClose10s, 10000}, {kCmdClose30s, 30000}}};
constexpr std::array<int, 5> kPositions = {kCmdPosCenter, kCmdPosLeftTop, kCmdPosRightTop, kCmdPosLeftBottom,
                                           kCmdPosRightBottom};

void Mark(TrayMenuPlan& plan, int command, bool on) { (on ? plan.checked : plan.unchecked).push_back(command); }

bool* UsageSwitch(int command, ClientSettings& s) {
    switch (command) {
        case kCmdUseMail: return &s.UseMailNotify;
        case kCmdUseBbs: return &s.UseBBSNotify;
        case kCmdUseApproval: return &s.UseSancNotify;
        case kCmdUseSchedule: return &s.UseGSNotify;
        case kCmdAlwaysOnTop: return &s.UseBringOnTop;
        case kCmdOnlyUrgency: return &s.OnlyUrgency;
        case kCmdQuietWhilePresenting: return &s.QuietWhilePresenting;
        default: return nullptr;
    }
}

}  // namespace

TrayMenuPlan PlanTrayMenu(const ClientSettings& s) {
    TrayMenuPlan plan;
    if (s.ReceiveListMode) {
        // Everything but About, History and Exit: the submenus are named by one of their commands.
        // Nothing pops up in this mode, so there is nothing to hold while presenting either.
        plan.deleteCommands = {kCmdAlwaysOnTop, kCmdPosCenter,   kCmdNeverClose,
                               kCmdUseMail,     kCmdOnlyUrgency, kCmdStatusOnline,
                               kCmdLogOn,       kCmdLogOut,      kCmdQuietWhilePresenting};
        return plan;
    }
    plan.deleteCommands = {kCmdStatusOnline, kCmdLogOn, kCmdLogOut};
    for (const auto& [command, delay] : kAutoClose) Mark(plan, command, s.FloatTime == delay);
    Mark(plan, kCmdAlwaysOnTop, s.UseBringOnTop);
    for (int i = 0; i < static_cast<int>(kPositions.size()); ++i) Mark(plan, kPositions[i], s.DisplayPos == i);
    Mark(plan, kCmdUseMail, s.UseMailNotify);
    Mark(plan, kCmdUseBbs, s.UseBBSNotify);
    Mark(plan, kCmdUseApproval, s.UseSancNotify);
    Mark(plan, kCmdUseSchedule, s.UseGSNotify);
    Mark(plan, kCmdOnlyUrgency, s.OnlyUrgency);
    Mark(plan, kCmdQuietWhilePresenting, s.QuietWhilePresenting);
    if (!s.ShowUseNotifyMenu) plan.deleteCommands.push_back(kCmdUseMail);
    return plan;
}

std::vector<int> PositionsToDelete(const std::vector<TrayMenuEntry>& menu, const std::vector<int>& commands) {
    const auto named = [&commands](int command) {
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    };
    std::vector<int> positions;
    for (int position = static_cast<int>(menu.size()) - 1; position >= 0; --position) {
        const TrayMenuEntry& entry = menu[static_cast<size_t>(position)];
        const bool hit = entry.submenu.empty() ? entry.command != 0 && named(entry.command)
                                               : std::any_of(entry.submenu.begin(), entry.submenu.end(), named);
        if (hit) positions.push_back(position);
    }
    return positions;
}

SettingsCommandResult ApplySettingsCommand(int command, ClientSettings& s) {
    for (int i = 0; i < static_cast<int>(kPositions.size()); ++i) {
        if (command == kPositions[i]) {
            s.DisplayPos = i;
            return {true, true};
        }
    }
    for (const auto& [entry, delay] : kAutoClose) {
        if (command == entry) {
            s.FloatTime = delay;
            return {true, false};
        }
    }
    if (bool* flag = UsageSwitch(command, s)) {
        *flag = !*flag;
        return {true, false};
    }
    return {};
}

BlinkCounter::Tick BlinkCounter::Next() {
    Tick tick;
    const int taken = counter_--;
    if (taken <= 0) {
        counter_ = 0;
        tick.stop = true;
    }
    tick.highlight = counter_ % 2 == 1;
    return tick;
}

}  // namespace mirelo
