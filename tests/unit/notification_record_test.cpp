#include "reception/notification_record.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(RecordLine, BuildsTenTabSeparatedFields) {
    EXPECT_EQ(BuildRecordLine(2, "NULL", 1, "2026-12-07 10:00", "Hello", "Kim", "fn", "http://x/", 0),
              "2\tNULL\t1\t2026-12-07 10:00\tHello\tKim\tfn\thttp://x/\t0\t0");
}

TEST(RecordLine, RoundTripsEveryField) {
    NotificationRecord record;
    ASSERT_TRUE(ParseRecordLine(BuildRecordLine(5, "key", 3, "d", "s", "snd", "f", "u", 7, 9), record));
    EXPECT_EQ(record.kind, 5);
    EXPECT_EQ(record.flag, 3);
    EXPECT_TRUE(record.IsUrgent());
    EXPECT_EQ(record.date, "d");
    EXPECT_EQ(record.subject, "s");
    EXPECT_EQ(record.sender, "snd");
    EXPECT_EQ(record.functionName, "f");
    EXPECT_EQ(record.openUrl, "u");
    EXPECT_EQ(record.docType, 7);
    EXPECT_EQ(record.extra, 9);
}

TEST(RecordLine, AnEmptyFieldMovesTheLaterOnesForward) {
    NotificationRecord record;
    ASSERT_TRUE(ParseRecordLine(BuildRecordLine(1, "NULL", 0, "", "subject", "sender", "fn", "url", 4), record));
    EXPECT_EQ(record.date, "subject");
    EXPECT_EQ(record.subject, "sender");
    EXPECT_EQ(record.sender, "fn");
    EXPECT_EQ(record.functionName, "url");
    EXPECT_EQ(record.openUrl, "4");
    EXPECT_EQ(record.docType, 0);
    EXPECT_EQ(record.extra, 0) << "the last field stays unset";
}

TEST(RecordLine, ParsedByFieldEveryFieldStaysInItsPlace) {
    const struct {
        std::string line;
        const char* date;
        const char* subject;
        const char* sender;
        const char* url;
        int docType;
    } cases[] = {
        // An administrator message: no sender, no link. Collapsed, the document type became the sender.
        {BuildRecordLine(8, "NULL", 0, "2026-12-07 10:00", "Restart", "", "", "", 0), "2026-12-07 10:00", "Restart", "",
         "", 0},
        {BuildRecordLine(2, "NULL", 0, "", "s", "Kim", "f", "u", 4), "", "s", "Kim", "u", 4},
        {BuildRecordLine(5, "k", 1, "d", "s", "snd", "f", "u", 7), "d", "s", "snd", "u", 7},
        // A field that held a tab: not the builder's shape, so parsed as record lines are.
        {BuildRecordLine(8, "NULL", 0, "d", "a\tb", "", "", "", 0), "d", "a", "b", "0", 0},
    };
    for (const auto& c : cases) {
        NotificationRecord record;
        ASSERT_TRUE(ParseRecordFields(c.line, record)) << c.line;
        EXPECT_EQ(record.date, c.date) << c.line;
        EXPECT_EQ(record.subject, c.subject) << c.line;
        EXPECT_EQ(record.sender, c.sender) << c.line;
        EXPECT_EQ(record.openUrl, c.url) << c.line;
        EXPECT_EQ(record.docType, c.docType) << c.line;
    }
    NotificationRecord record;
    EXPECT_FALSE(ParseRecordFields("", record));
    NotificationRecord collapsed;
    ASSERT_TRUE(ParseRecordLine(cases[0].line, collapsed));
    EXPECT_EQ(collapsed.sender, "0") << "what a held message showed as its sender";
}

TEST(RecordLine, LongLinesAreParsedWhole) {
    const std::string subject(400, 's');
    NotificationRecord record;
    ASSERT_TRUE(ParseRecordLine(BuildRecordLine(2, "NULL", 0, "d", subject, "kim", "f", "u", 0), record));
    EXPECT_EQ(record.subject, subject);
    EXPECT_EQ(record.sender, "kim");
}

TEST(RecordLine, EmptyLinesAndOddTokens) {
    NotificationRecord record;
    record.subject = "kept";
    EXPECT_FALSE(ParseRecordLine("", record));
    EXPECT_FALSE(ParseRecordLine("\t\t\t", record));
    EXPECT_EQ(record.subject, "kept");
    ASSERT_TRUE(ParseRecordLine("2\tk\t0\td\ts\tn\tf\tu\tabc\t0\textra\tmore", record));
    EXPECT_EQ(record.docType, 0);
    EXPECT_EQ(record.kind, 2);
    ASSERT_TRUE(ParseRecordLine("\t\t7", record));
    EXPECT_EQ(record.kind, 7);
}

}  // namespace
}  // namespace mirelo
