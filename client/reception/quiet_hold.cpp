#include "reception/quiet_hold.h"

#include <iterator>

#include "reception/dispatch_plan.h"

namespace mirelo {

bool IsQuietState(int state) {
    return state == kUserStateBusy || state == kUserStateFullScreenDirect3D || state == kUserStatePresentationMode ||
           state == kUserStateQuietTime;
}

bool HoldsNotification(const DispatchPlan& plan, bool quietWhilePresenting, bool quietState) {
    return quietWhilePresenting && quietState && plan.showPopup;
}

std::optional<int> ParseForcedState(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    int value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
    }
    if (digits == 0 || value < kUserStateNotPresent || value > kUserStateApp) return std::nullopt;
    return value;
}

bool HeldNotifications::Hold(ReceivedListItem item) {
    held_.push_back(std::move(item));
    if (held_.size() <= kMaxHeld) return false;
    held_.pop_front();
    return true;
}

std::vector<ReceivedListItem> HeldNotifications::TakeAll() {
    std::vector<ReceivedListItem> all(std::make_move_iterator(held_.begin()), std::make_move_iterator(held_.end()));
    held_.clear();
    return all;
}

}  // namespace mirelo
