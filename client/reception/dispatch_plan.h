#pragma once

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
    bool listed = false;  // received-list mode lists it
};

// Decides for a kind after its handler decoded the payload (urgent: bit 0 of its flag).
DispatchPlan PlanDispatch(int kind, bool urgent, const ClientSettings& settings);

// The code handed to local applications: 200 for bulletin boards, 100 for mail, the approval
// payload's number for approvals, 0 (nothing) for the others.
int LocalAppCode(Family family, int approvalCode);

}  // namespace mirelo
