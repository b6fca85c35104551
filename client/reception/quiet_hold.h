#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "reception/received_list_item.h"

namespace mirelo {

struct DispatchPlan;

// The values the shell reports for the user's notification state (QUERY_USER_NOTIFICATION_STATE).
enum UserNotificationState : int {
    kUserStateNotPresent = 1,
    kUserStateBusy = 2,
    kUserStateFullScreenDirect3D = 3,
    kUserStatePresentationMode = 4,
    kUserStateAcceptsNotifications = 5,
    kUserStateQuietTime = 6,
    kUserStateApp = 7,
};

// Busy, full-screen Direct3D, presentation mode and quiet time: the user should not be interrupted.
bool IsQuietState(int state);

// A notification that would pop up is held while the user must not be interrupted and
// QuietWhilePresenting is on: no pop-up, no sound, no speech until the state ends.
bool HoldsNotification(const DispatchPlan& plan, bool quietWhilePresenting, bool quietState);

// A state forced for tests: the first decimal number of the text, when it is a known state.
std::optional<int> ParseForcedState(std::string_view text);

// The notifications held back while the user presents. Bounded: past kMaxHeld the oldest gives way.
class HeldNotifications {
public:
    static constexpr std::size_t kMaxHeld = 1000;

    // Returns whether the oldest held notification was dropped to keep the bound.
    bool Hold(ReceivedListItem item);
    bool Empty() const { return held_.empty(); }
    std::size_t Size() const { return held_.size(); }
    // Everything held, oldest first, so that adding them in turn puts the newest on top.
    std::vector<ReceivedListItem> TakeAll();

private:
    std::deque<ReceivedListItem> held_;
};

}  // namespace mirelo
