#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "store/alert_payload.h"

namespace mirelo {

class BbsHandler;
class MailHandler;
class ScheduleHandler;
class ApprovalHandler;
class MessageHandler;
class NoticeHandler;
class KindHandler;
struct NotificationRecord;

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

    // `newerWaiting`: notifications read together with this one and newer than it; when not 0 its
    // pop-up and sound give way to them (see NewerWaiting).
    void Dispatch(int kind, const char* payload, int length, std::size_t newerWaiting = 0);

private:
    // The approval texts a sentence speaks, kept when the approval passed the filters.
    struct SpokenTexts {
        std::string documentKind;
        std::string action;
    };

    // Decodes the payload with the kind's handler and, under the filters, plays, shows or lists it.
    // Returns whether it was held while the user presents.
    bool Present(int kind, KindHandler& handler, const char* payload, int length, std::size_t newerWaiting,
                 NotificationRecord& record, SpokenTexts& spoken);
    bool DispatchAlert(const char* payload, int length);

    std::unique_ptr<BbsHandler> bbs_;
    std::unique_ptr<MailHandler> mail_;
    std::unique_ptr<ScheduleHandler> schedule_;
    std::unique_ptr<ApprovalHandler> approval_;
    std::unique_ptr<MessageHandler> message_;
    std::unique_ptr<NoticeHandler> notice_;
    AlertRecord alert_;
};

}  // namespace mirelo
