#pragma once

#include <cstddef>

namespace mirelo {

class ClientSettings;

// The pop-up families the dispatcher routes to.
enum class Family { None, Bbs, Mail, Schedule, Approval, Message, Notice, Alert };

Family FamilyOfKind(int kind);

// What one decoded notification leads to, under the user's filters.
struct DispatchPlan {
    Family family = Family::None;
    bool passesUrgency = false;  // OnlyUrgency is off, or the notification is urgent
    bool buildRecord = false;    // the record line is built (the family's filter passed)
    bool playSound = false;
    bool showPopup = false;
    bool listed = false;   // received-list mode lists it
    bool gaveWay = false;  // its pop-up gave way to newer notifications waiting behind it
};

// Decides for a kind after its handler decoded the payload (urgent: bit 0 of its flag).
DispatchPlan PlanDispatch(int kind, bool urgent, const ClientSettings& settings);

// Notifications read from the socket together all pop up while they are this few: a user follows a
// handful arriving at once. Beyond, the client has fallen behind and only the newest of them pops up.
inline constexpr std::size_t kBurstPoppingUp = 8;

// For the notification at `index` (0: the oldest) of `count` read together: how many newer ones wait
// behind it when it gives its pop-up way to them; 0 when it pops up.
std::size_t NewerWaiting(std::size_t index, std::size_t count);

// The plan of a notification that gives way to newer ones: no pop-up and no sound (creating the
// window costs far more than all the rest); it is still kept, relayed, forwarded and spoken. Alerts
// always show: nothing else keeps them.
DispatchPlan GiveWay(DispatchPlan plan);

// The code handed to local applications: 200 for bulletin boards, 100 for mail, the approval
// payload's number for approvals, 0 (nothing) for the others.
int LocalAppCode(Family family, int approvalCode);

}  // namespace mirelo
