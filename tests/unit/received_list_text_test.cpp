#include "reception/received_list_text.h"

#include "korean_text.h"
#include "reception/notification_record.h"
#include "resources/string_ids.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace mirelo {
namespace {

using testing::Cp949;

std::string Korean(int id) {
    static const std::map<int, std::string> table = {
        {IDS_LISTTEXT_FROM, Cp949("%s님 으로부터 제목이 %s인 %s")},
        {IDS_LISTTEXT_APPROVAL, Cp949("%s님께서 제목이 %s인 %s")},
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

std::string English(int id) {
    if (id == IDS_LISTTEXT_FROM) return "From %s, subject %s %s";
    if (id == IDS_LISTTEXT_APPROVAL) return "By %s, subject %s %s";
    return {};
}

TEST(SubjectMarkers, AreCodePage949Bytes) {
    EXPECT_EQ(kSecurityMarker, Cp949("[보안]"));
    EXPECT_EQ(kGeneralMarker, Cp949("[일반]"));
    EXPECT_EQ(kUrgentMarker, Cp949("[긴급]"));
    EXPECT_EQ(kImportantMarker, Cp949("[중요]"));
    EXPECT_EQ(kSecurityMarker.size(), 6u);
}

TEST(ShortSender, CutsBeforeTheDepartment) {
    EXPECT_EQ(ShortSender("Kim Minsu (Sales)"), "Kim Minsu");
    EXPECT_EQ(ShortSender("Kim(Sales)"), "Kim");
    EXPECT_EQ(ShortSender("Kim \t (Sales) (HQ)"), "Kim");
    EXPECT_EQ(ShortSender(Cp949("홍길동(영업부)")), Cp949("홍길동"));
    EXPECT_EQ(ShortSender("(Sales)"), "");
    EXPECT_EQ(ShortSender("Kim Minsu"), "Kim Minsu");
    EXPECT_EQ(ShortSender(""), "");
}

TEST(SpeakingName, IsTheFirstWord) {
    EXPECT_EQ(SpeakingName("Kim Minsu (Sales)"), "Kim");
    EXPECT_EQ(SpeakingName(Cp949("홍 길동 (영업부)")), Cp949("홍"));
    EXPECT_EQ(SpeakingName("Kim(Sales)"), "Kim(Sales)");
    EXPECT_EQ(SpeakingName(" Kim"), "");
    EXPECT_EQ(SpeakingName(""), "");
}

TEST(DisplaySubject, ASecurityMarkerTakesTwelveBytes) {
    const std::string subject = Cp949("[보안][긴급]예산 회의");
    EXPECT_EQ(DisplaySubject(kKindMail, subject), Cp949("예산 회의"));
    EXPECT_EQ(DisplaySubject(kKindApprovalFirst, Cp949("[보안][일반]보고서  ")), Cp949("보고서"));
}

TEST(DisplaySubject, AnyOtherMarkerTakesSix) {
    for (const char* marker : {"[일반]", "[긴급]", "[중요]"}) {
        EXPECT_EQ(DisplaySubject(kKindSchedule, Cp949(marker) + "Budget"), "Budget") << marker;
    }
    EXPECT_EQ(DisplaySubject(kKindApprovalLast, Cp949("[중요] 결재 요청 ")), Cp949(" 결재 요청"));
}

TEST(DisplaySubject, TheCutCountsFromTheStartWhereverTheMarkerStands) {
    EXPECT_EQ(DisplaySubject(kKindMail, "Notice: " + Cp949("[긴급]")), ": " + Cp949("[긴급]"));
    EXPECT_EQ(DisplaySubject(kKindMail, Cp949("[보안]") + "x"), "");
}

TEST(DisplaySubject, TheSecurityMarkerIsCheckedFirst) {
    EXPECT_EQ(DisplaySubject(kKindMail, Cp949("[일반][보안]") + "Plan"), "Plan");
}

TEST(DisplaySubject, MessagesAndNoticesKeepTheirMarkers) {
    const std::string subject = Cp949("[긴급]") + "Fire drill ";
    for (int kind : {kKindMessage, kKindMessageOther, kKindNotice}) {
        EXPECT_EQ(DisplaySubject(kind, subject), Cp949("[긴급]") + "Fire drill") << kind;
    }
    EXPECT_EQ(DisplaySubject(kKindMail, "Plain subject \t"), "Plain subject");
}

TEST(ReceivedListText, FromForMailAndSchedules) {
    EXPECT_EQ(ReceivedListText(kKindMail, "Kim", "Budget", "", English), "From Kim, subject Budget ");
    EXPECT_EQ(ReceivedListText(kKindSchedule, Cp949("홍길동"), Cp949("회의"), "", Korean),
              Cp949("홍길동님 으로부터 제목이 회의인 "));
}

TEST(ReceivedListText, ByForApprovals) {
    for (int kind = kKindApprovalFirst; kind <= kKindApprovalLast; ++kind) {
        EXPECT_EQ(ReceivedListText(kind, "Kim", "Report", "doc", English), "By Kim, subject Report doc") << kind;
    }
    EXPECT_EQ(ReceivedListText(kKindApprovalFirst, Cp949("홍길동"), Cp949("보고서"), "", Korean),
              Cp949("홍길동님께서 제목이 보고서인 "));
}

TEST(ReceivedListText, OtherKindsHaveNone) {
    const int kinds[] = {0, kKindBbs, kKindMessage, kKindMessageOther, kKindNotice, kKindApprovalHeld, kKindAlert};
    for (int kind : kinds) {
        EXPECT_EQ(ReceivedListText(kind, "Kim", "Hello", "", English), "") << kind;
    }
}

TEST(BuildReceivedListTexts, TrimsThenDerives) {
    const ReceivedListTexts texts =
        BuildReceivedListTexts(kKindMail, "  Kim Minsu (Sales)\t", " " + Cp949("[긴급]") + "Budget  ", "", English);
    EXPECT_EQ(texts.sender, "Kim Minsu (Sales)");
    EXPECT_EQ(texts.shortSender, "Kim Minsu");
    EXPECT_EQ(texts.subject, Cp949("[긴급]") + "Budget");
    EXPECT_EQ(texts.displaySubject, "Budget");
    EXPECT_EQ(texts.listText, "From Kim Minsu, subject Budget ");
}

TEST(BuildReceivedListTexts, AnEmptyRecordGivesEmptyTexts) {
    const ReceivedListTexts texts = BuildReceivedListTexts(kKindApprovalFirst, "", "", "", English);
    EXPECT_EQ(texts.shortSender, "");
    EXPECT_EQ(texts.displaySubject, "");
    EXPECT_EQ(texts.listText, "By , subject  ");
    EXPECT_EQ(BuildReceivedListTexts(kKindNotice, "Admin", "Notice", "", English).listText, "");
}

}  // namespace
}  // namespace mirelo
