#pragma once

#include <string>
#include <string_view>

namespace mirelo {

// One notification, whatever its source, reduced to the fields every part of the client shares.
struct NotificationRecord {
    virtual ~NotificationRecord() = default;

    int flag = 0;  // bit 0: urgent
    int kind = 0;
    std::string date;
    std::string sender;
    std::string reserved;
    std::string subject;
    std::string functionName;
    std::string openUrl;
    int docType = 0;
    int extra = 0;

    bool IsUrgent() const { return (flag & 1) != 0; }
};

// Notification kinds.
enum NotificationKind : int {
    kKindBbs = 1,
    kKindMail = 2,
    kKindSchedule = 3,
    kKindApprovalFirst = 4,
    kKindApprovalLast = 7,
    kKindMessage = 8,
    kKindMessageOther = 9,
    kKindNotice = 10,
    kKindApprovalHeld = 11,
    kKindAlert = 20,
};

// The record line: ten tab-separated fields, token 1 being the user key.
std::string BuildRecordLine(int kind, std::string_view userKey, int flag, std::string_view date,
                            std::string_view subject, std::string_view sender, std::string_view functionName,
                            std::string_view openUrl, int docType, int extra = 0);

// Parses a record line into `record`. Runs of tabs count as one separator, so an empty field moves
// the later ones forward. Returns false, leaving the record as it was, when the line has no token.
bool ParseRecordLine(std::string_view line, NotificationRecord& record);

// Parses a line of exactly ten fields, as BuildRecordLine makes them, with every field in its place:
// an empty field stays empty. A line of another shape (a field that held a tab) is parsed as
// ParseRecordLine does. For what the client shows and keeps of its own records, where a moved field
// would put the document type in the sender's place.
bool ParseRecordFields(std::string_view line, NotificationRecord& record);

}  // namespace mirelo
