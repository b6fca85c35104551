#pragma once

#include <string>
#include <string_view>

#include "core/string_table.h"
#include "reception/notification_record.h"

namespace mirelo {

// One entry of the received-list dialog.
struct ReceivedListItem {
    virtual ~ReceivedListItem() = default;

    int code = 0;             // handed to local applications
    std::string arrivalTime;  // "HH:MM" of the local time at dispatch
    std::string sender;
    std::string shortSender;  // the sender before its first "("
    std::string subject;
    std::string displaySubject;  // the subject without its leading markers
    std::string reserved;
    std::string listText;  // the list's sentence
    std::string kindText;  // empty in this client
    std::string openUrl;
    std::string reserved2;
    int kind = 0;
    char documentKindCode = '0';  // approvals: the first characters of the document-kind and action
    char actionCode = '0';        // codes; '0' for the other kinds
};

// Builds the item of a dispatched notification from its record. documentKind and action are the
// approval's codes (only their first characters are kept, and only for approval kinds).
ReceivedListItem BuildReceivedListItem(const NotificationRecord& record, int code, int hour, int minute,
                                       std::string_view documentKind, std::string_view action,
                                       const TextLoader& loadText);

}  // namespace mirelo
