#include "reception/dispatch_plan.h"

#include "core/settings.h"

namespace mirelo {

Family FamilyOfKind(int kind) {
    switch (kind) {
        case 1: return Family::Bbs;
        case 2: return Family::Mail;
        case 3: return Family::Schedule;
        case 4:
        case 5:
        case 6:
        case 7:
        case 11: return Family::Approval;
        case 8:
        case 9: return Family::Message;
        case 10: return Family::Notice;
        case 20: return Family::Alert;
        default: return Family::None;
    }
}

namespace {

bool SwitchOf(Family family, const ClientSettings& s) {
    switch (family) {
        case Family::Bbs: return s.UseBBSNotify;
        case Family::Mail: return s.UseMailNotify;
        case Family::Schedule: return s.UseGSNotify;
        case Family::Approval: return s.UseSancNotify;
        default: return true;  // messages and notices have no switch
    }
}

bool HasSound(Family family) {
    return family == Family::Bbs || family == Family::Mail || family == Family::Schedule || family == Family::Approval;
}

}  // namespace

DispatchPlan PlanDispatch(int kind, bool urgent, const ClientSettings& s) {
    DispatchPlan plan;
    plan.family = FamilyOfKind(kind);
    if (plan.family == Family::None) return plan;
    if (plan.family == Family::Alert) {
        // Alerts know no filter: they always show.
        plan.passesUrgency = true;
        plan.showPopup = true;
        return plan;
    }
    plan.passesUrgency = !s.OnlyUrgency || urgent;
    plan.buildRecord = plan.passesUrgency;
    const bool listMode = s.ReceiveListMode;
    plan.playSound = plan.passesUrgency && !listMode && HasSound(plan.family);
    plan.showPopup = plan.passesUrgency && !listMode && SwitchOf(plan.family, s);
    // A notification that failed the urgency test has no record to list.
    plan.listed = listMode && kind >= 2 && kind <= 10 && plan.passesUrgency;
    return plan;
}

std::size_t NewerWaiting(std::size_t index, std::size_t count) {
    if (count <= kBurstPoppingUp || index + 1 >= count) return 0;
    return count - index - 1;
}

DispatchPlan GiveWay(DispatchPlan plan) {
    if (plan.family == Family::Alert) return plan;
    plan.gaveWay = plan.showPopup;
    plan.showPopup = false;
    plan.playSound = false;
    return plan;
}

int LocalAppCode(Family family, int approvalCode) {
    switch (family) {
        case Family::Bbs: return 200;
        case Family::Mail: return 100;
        case Family::Approval: return approvalCode;
        default: return 0;
    }
}

}  // namespace mirelo
