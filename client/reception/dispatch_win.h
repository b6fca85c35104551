#pragma once

#include <memory>

namespace mirelo {

class BbsHandler;
class MailHandler;
class ScheduleHandler;
class ApprovalHandler;

// Routes every received notification: blinks the tray icon, lets the kind's handler decode it, and
// under the user's filters plays its sound and shows its pop-up, or lists it in received-list mode.
// Each receiving socket has its own dispatcher, since the handlers keep the last notification of
// their family.
class CDispatcher {
public:
    CDispatcher();
    ~CDispatcher();
    CDispatcher(const CDispatcher&) = delete;
    CDispatcher& operator=(const CDispatcher&) = delete;

    void Dispatch(int kind, const char* payload, int length);

private:
    std::unique_ptr<BbsHandler> bbs_;
    std::unique_ptr<MailHandler> mail_;
    std::unique_ptr<ScheduleHandler> schedule_;
    std::unique_ptr<ApprovalHandler> approval_;
};

}  // namespace mirelo
