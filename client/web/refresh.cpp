#include "web/refresh.h"

#include "reception/notification_record.h"

namespace mirelo {

std::string RefreshId(int kind, std::string_view userKey) {
    const bool refreshes = (kind >= kKindSchedule && kind <= kKindApprovalLast) || kind == kKindApprovalHeld;
    return refreshes ? "appr_" + std::string(userKey) : std::string();
}

std::vector<FormParam> RefreshForm(std::string_view id) {
    return {MakeFormParam("id", id), MakeFormParam("data", kRefreshData)};
}

}  // namespace mirelo
