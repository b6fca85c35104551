#include "reception/received_list_item.h"

#include <cstdio>

#include "reception/received_list_text.h"

namespace mirelo {

namespace {

bool IsApprovalKind(int kind) {
    return (kind >= kKindApprovalFirst && kind <= kKindApprovalLast) || kind == kKindApprovalHeld;
}

char FirstOrZero(std::string_view code) { return code.empty() ? '0' : code.front(); }

}  // namespace

ReceivedListItem BuildReceivedListItem(const NotificationRecord& record, int code, int hour, int minute,
                                       std::string_view documentKind, std::string_view action,
                                       const TextLoader& loadText) {
    ReceivedListItem item;
    item.code = code;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
    item.arrivalTime = time;
    const ReceivedListTexts texts = BuildReceivedListTexts(record.kind, record.sender, record.subject, "", loadText);
    item.sender = texts.sender;
    item.shortSender = texts.shortSender;
    item.subject = texts.subject;
    item.displaySubject = texts.displaySubject;
    item.listText = texts.listText;
    item.openUrl = record.openUrl;
    item.kind = record.kind;
    if (IsApprovalKind(record.kind)) {
        item.documentKindCode = FirstOrZero(documentKind);
        item.actionCode = FirstOrZero(action);
    }
    return item;
}

}  // namespace mirelo
