#include "reception/received_list_item.h"

#include "reception/received_list_text.h"

#include <gtest/gtest.h>

#include "korean_text.h"
#include "resources/string_ids.h"

namespace mirelo {
namespace {

std::string English(int id) { return id == IDS_LISTTEXT_FROM ? "From %s, subject %s %s" : "By %s, subject %s %s"; }

NotificationRecord Record(int kind, std::string sender, std::string subject) {
    NotificationRecord record;
    record.kind = kind;
    record.sender = std::move(sender);
    record.subject = std::move(subject);
    record.openUrl = "http://gw/x";
    return record;
}

TEST(ReceivedListItem, MessagesAndNoticesKeepTheirSubjectAndHaveNoSentence) {
    const std::string marked = std::string(kUrgentMarker) + "Closed";
    for (int kind : {8, 9, 10}) {
        const ReceivedListItem item =
            BuildReceivedListItem(Record(kind, " Kim (Sales) ", marked + "  "), 0, 9, 5, "", "", English);
        EXPECT_EQ(item.kind, kind);
        EXPECT_EQ(item.code, 0);
        EXPECT_EQ(item.arrivalTime, "09:05");
        EXPECT_EQ(item.sender, "Kim (Sales)");
        EXPECT_EQ(item.shortSender, "Kim");
        EXPECT_EQ(item.subject, marked);
        EXPECT_EQ(item.displaySubject, marked);
        EXPECT_EQ(item.listText, "");
        EXPECT_EQ(item.kindText, "");
        EXPECT_EQ(item.openUrl, "http://gw/x");
        EXPECT_EQ(item.documentKindCode, '0');
        EXPECT_EQ(item.actionCode, '0');
    }
}

TEST(ReceivedListItem, MailAndApprovalsAsTheListShowsThem) {
    const ReceivedListItem mail =
        BuildReceivedListItem(Record(2, "Lee", std::string(kGeneralMarker) + "Hi"), 100, 23, 59, "8", "1", English);
    EXPECT_EQ(mail.displaySubject, "Hi");
    EXPECT_EQ(mail.listText, "From Lee, subject Hi ");
    EXPECT_EQ(mail.documentKindCode, '0');
    EXPECT_EQ(mail.arrivalTime, "23:59");
    const ReceivedListItem approval = BuildReceivedListItem(Record(5, "Park", "Budget"), 7, 0, 0, "F2", "3", English);
    EXPECT_EQ(approval.listText, "By Park, subject Budget ");
    EXPECT_EQ(approval.documentKindCode, 'F');
    EXPECT_EQ(approval.actionCode, '3');
    EXPECT_EQ(approval.code, 7);
    EXPECT_EQ(BuildReceivedListItem(Record(6, "", ""), 0, 0, 0, "", "", English).documentKindCode, '0');
}

}  // namespace
}  // namespace mirelo
