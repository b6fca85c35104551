#include "popups/kind_fields.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

const TextConverter kSame = [](std::string_view text) { return std::string(text); };

std::string MailPayload(std::vector<std::string> fields) { return *EncodePayload(fields, kMailLayout); }

TEST(KindFields, DecodesAMailAndBuildsItsRecordLine) {
    KindFields mail;
    const std::string link = *BuildLinkField(3, "OpenMail", "http://gw/m?id=9");
    mail.Decode(MailPayload({"02", "1", "Kim", "Hi", "body", "2026-12-07 10:00", link, "", "1"}), kMailLayout,
                mail_field::kSubKind, mail_field::kFlag, kSame);
    EXPECT_EQ(mail.Text(mail_field::kSender), "Kim");
    EXPECT_EQ(mail.subKind, 1);
    EXPECT_TRUE(mail.IsUrgent());
    EXPECT_EQ(mail.link.typeNumber, 3);
    EXPECT_EQ(MailRecordLine(mail, "NULL"), "2\tNULL\t1\t2026-12-07 10:00\tHi\tKim\tOpenMail\thttp://gw/m?id=9\t0\t0");
}

TEST(KindFields, IntegersSurviveAbsentFieldsAndTextsDoNot) {
    KindFields bbs;
    bbs.Decode(*EncodePayload({"01", "2", "P", "B", "T", "", "D", *BuildLinkField(4, "f", "u"), "R", "3"}, kBbsLayout),
               kBbsLayout, bbs_field::kSubKind, bbs_field::kFlag, kSame);
    EXPECT_EQ(bbs.subKind, 2);
    EXPECT_EQ(bbs.flag, 3);
    bbs.Decode(*EncodePayload({"01", "", "P2"}, kBbsLayout), kBbsLayout, bbs_field::kSubKind, bbs_field::kFlag, kSame);
    EXPECT_EQ(bbs.subKind, 2);
    EXPECT_EQ(bbs.flag, 3);
    EXPECT_EQ(bbs.link.typeNumber, 4);
    EXPECT_EQ(bbs.link.functionName, "");
    EXPECT_EQ(bbs.Text(bbs_field::kBoard), "");
    EXPECT_EQ(bbs.Text(bbs_field::kPoster), "P2");
}

TEST(KindFields, ABlankFlagMeansUrgent) {
    KindFields schedule;
    schedule.Decode(*EncodePayload({"03", "1", "R", "S", "D", "", "", " "}, kScheduleLayout), kScheduleLayout,
                    schedule_field::kSubKind, schedule_field::kFlag, kSame);
    EXPECT_EQ(schedule.flag, 1);
    EXPECT_EQ(ScheduleRecordLine(schedule, "k"), "3\tk\t1\tD\tS\tR\t\t\t0\t0");
}

TEST(KindFields, TextsAndLinkTextsGoThroughTheConverter) {
    KindFields mail;
    const TextConverter upper = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    };
    mail.Decode(MailPayload({"02", "1", "kim", "hi", "", "", *BuildLinkField(1, "fn", "http://x")}), kMailLayout,
                mail_field::kSubKind, mail_field::kFlag, upper);
    EXPECT_EQ(mail.Text(mail_field::kSender), "KIM");
    EXPECT_EQ(mail.link.functionName, "FN");
    EXPECT_EQ(mail.link.openUrl, "HTTP://X");
}

}  // namespace
}  // namespace mirelo
