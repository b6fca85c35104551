#include "popups/approval_text.h"

#include "korean_text.h"
#include "resources/string_ids.h"
#include "store/macros.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace mirelo {
namespace {

using testing::Cp949;

// The English texts the approval pop-up uses.
const std::map<int, std::string> kEnglish = {
    {IDS_DOCKIND_DEFAULT, "Approval doc."},
    {IDS_DOCKIND_RECEIVED_6, "Recv doc."},
    {IDS_DOCKIND_REPORT_8, "Report doc."},
    {IDS_DOCKIND_PUBLIC_REVIEW_F, "Public review"},
    {IDS_DOCKIND_APPROVAL_C, "Approval Document"},
    {IDS_ACTION_ARRIVED, "arrived."},
    {IDS_ACTION_PROCESSED, "processed."},
    {IDS_ACTION_REJECTED, "reverted."},
    {IDS_ACTION_RETURNED, "returned."},
    {IDS_ACTION_LINE_CHANGED, "sanction line is changed."},
    {IDS_ACTION_JOIN_WORD, "is"},
};

// The Korean texts, as code page 949 bytes.
const std::map<int, std::string> kKorean = {
    {IDS_DOCKIND_REPORT_8, Cp949("결재문서")},
    {IDS_DOCKIND_PUBLIC_REVIEW_F, Cp949("$공람$문서")},
    {IDS_DOCKIND_RECEIVED_6, Cp949("수신문서")},
    {IDS_ACTION_ARRIVED, Cp949("도착하였습니다.")},
    {IDS_ACTION_RETURNED, Cp949("반송되었습니다.")},
    {IDS_ACTION_LINE_CHANGED, Cp949("결재선이 변경되었습니다.")},
    {IDS_ACTION_JOIN_WORD, Cp949("가")},
};

TextLoader LoaderOf(const std::map<int, std::string>& table) {
    return [&table](int id) {
        const auto found = table.find(id);
        return found == table.end() ? std::string() : found->second;
    };
}

std::string NoMacros(const std::string& text) { return text; }

TEST(ApprovalText, DocumentKindTableRows) {
    const std::vector<std::pair<std::string, int>> rows = {
        {"2", IDS_DOCKIND_AGREE_2},        {"3", IDS_DOCKIND_AGREE_3},
        {"4", IDS_DOCKIND_AUDIT_4},        {"5", IDS_DOCKIND_AUDIT_5},
        {"6", IDS_DOCKIND_RECEIVED_6},     {"7", IDS_DOCKIND_REFERENCE_7},
        {"8", IDS_DOCKIND_REPORT_8},       {"9", IDS_DOCKIND_DISPATCH_REQUEST_9},
        {"A", IDS_DOCKIND_ENFORCEMENT_A},  {"B", IDS_DOCKIND_DISTRIBUTED_B},
        {"C", IDS_DOCKIND_APPROVAL_C},     {"D", IDS_DOCKIND_RETURNED_D},
        {"E", IDS_DOCKIND_PRE_EXECUTED_E}, {"F", IDS_DOCKIND_PUBLIC_REVIEW_F},
        {"G", IDS_DOCKIND_PROCESSED_G},    {"H", IDS_DOCKIND_REPLY_H},
        {"I", IDS_DOCKIND_EXTERNAL_I},     {"J", IDS_DOCKIND_ADMINISTRATIVE_J},
        {"K", IDS_DOCKIND_ROUTED_K},       {"L", IDS_DOCKIND_DISPATCH_PROCESSED_L},
        {"M", IDS_DOCKIND_COMPLIANCE_M},   {"N", IDS_DOCKIND_AGREE_N},
        {"O", IDS_DOCKIND_AUDIT_O},        {"T", IDS_DOCKIND_DRAFT_T},
    };
    for (const auto& [code, id] : rows) EXPECT_EQ(DocumentKindTextId(code), id) << code;
}

TEST(ApprovalText, OtherDocumentKindsAreGenericApprovals) {
    for (const char* code : {"", "0", "1", "P", "S", "U", "Z", "c", "f", "t", " ", "\xB0\xF8"}) {
        EXPECT_EQ(DocumentKindTextId(code), IDS_DOCKIND_DEFAULT) << code;
    }
}

TEST(ApprovalText, OnlyTheFirstCharacterOfACodeCounts) {
    EXPECT_EQ(DocumentKindTextId("C7"), IDS_DOCKIND_APPROVAL_C);
    EXPECT_EQ(DocumentKindTextId("12"), IDS_DOCKIND_DEFAULT);
    EXPECT_EQ(ActionTextId("8", "21"), IDS_ACTION_PROCESSED);
    EXPECT_EQ(ActionTextId("61", "3"), IDS_ACTION_RETURNED);
    EXPECT_EQ(ApprovalCodeChar(""), '\0');
    EXPECT_EQ(ApprovalCodeChar("K2"), 'K');
}

TEST(ApprovalText, ActionTableRows) {
    const std::vector<std::pair<std::string, int>> rows = {
        {"1", IDS_ACTION_ARRIVED},   {"2", IDS_ACTION_PROCESSED}, {"3", IDS_ACTION_REJECTED},
        {"4", IDS_ACTION_CANCELLED}, {"5", IDS_ACTION_COMPLETED}, {"6", IDS_ACTION_LINE_CHANGED},
        {"7", IDS_ACTION_HELD},      {"8", IDS_ACTION_ARRIVED},   {"9", IDS_ACTION_MODIFIED},
    };
    for (const auto& [code, id] : rows) EXPECT_EQ(ActionTextId("8", code), id) << code;
}

TEST(ApprovalText, AReceivedDocumentSentBackIsReturned) {
    EXPECT_EQ(ActionTextId("6", "3"), IDS_ACTION_RETURNED);
    for (const char* kind : {"", "1", "5", "7", "9", "F", "X"}) EXPECT_EQ(ActionTextId(kind, "3"), IDS_ACTION_REJECTED);
    EXPECT_EQ(ActionTextId("6", "1"), IDS_ACTION_ARRIVED);
}

TEST(ApprovalText, ActionsOutsideOneToNineHaveNoText) {
    for (const char* code : {"", "0", "A", "a", " ", "-1", "\xB0\xF8"}) {
        EXPECT_EQ(ActionTextId("8", code), kNoStringId) << code;
    }
    EXPECT_EQ(BuildApprovalTexts("8", "0", 0, "", LoaderOf(kEnglish), NoMacros).action, "");
}

TEST(ApprovalHeader, KindJoiningWordAndAction) {
    const ApprovalTexts texts = BuildApprovalTexts("8", "1", 0, "[Urgent]", LoaderOf(kEnglish), NoMacros);
    EXPECT_EQ(texts.documentKind, "Report doc.");
    EXPECT_EQ(texts.action, "arrived.");
    EXPECT_EQ(texts.header, "Report doc.is arrived.");
    EXPECT_EQ(BuildApprovalTexts("8", "1", 0, "", LoaderOf(kKorean), NoMacros).header,
              Cp949("결재문서가 도착하였습니다."));
}

TEST(ApprovalHeader, OnlyAFlagOfExactlyOneIsUrgent) {
    const TextLoader english = LoaderOf(kEnglish);
    EXPECT_EQ(BuildApprovalTexts("C", "2", 1, "[Urgent]", english, NoMacros).header,
              "[Urgent]Approval Documentis processed.");
    EXPECT_EQ(BuildApprovalTexts("C", "2", 3, "[Urgent]", english, NoMacros).header, "Approval Documentis processed.");
    EXPECT_EQ(BuildApprovalTexts("C", "2", 0, "[Urgent]", english, NoMacros).header, "Approval Documentis processed.");
    EXPECT_EQ(BuildApprovalTexts("8", "1", 1, Cp949("[긴급]"), LoaderOf(kKorean), NoMacros).header,
              Cp949("[긴급]결재문서가 도착하였습니다."));
}

TEST(ApprovalHeader, AChangedApprovalLineIsAnnouncedAlone) {
    EXPECT_EQ(BuildApprovalTexts("8", "6", 0, "[Urgent]", LoaderOf(kEnglish), NoMacros).header,
              "sanction line is changed.");
    EXPECT_EQ(BuildApprovalTexts("8", "6", 1, "[Urgent]", LoaderOf(kEnglish), NoMacros).header,
              "sanction line is changed.");
    EXPECT_EQ(BuildApprovalTexts("F", "6", 1, "[Urgent]", LoaderOf(kKorean), NoMacros).header,
              Cp949("결재선이 변경되었습니다."));
}

TEST(ApprovalHeader, ReceivedDocumentSentBack) {
    EXPECT_EQ(BuildApprovalTexts("6", "3", 0, "", LoaderOf(kEnglish), NoMacros).header, "Recv doc.is returned.");
    EXPECT_EQ(BuildApprovalTexts("8", "3", 0, "", LoaderOf(kEnglish), NoMacros).header, "Report doc.is reverted.");
    EXPECT_EQ(BuildApprovalTexts("6", "3", 0, "", LoaderOf(kKorean), NoMacros).header,
              Cp949("수신문서가 반송되었습니다."));
}

TEST(ApprovalHeader, AnActionWithoutTextLeavesTheBlank) {
    EXPECT_EQ(BuildApprovalTexts("X", "0", 0, "", LoaderOf(kEnglish), NoMacros).header, "Approval doc.is ");
    EXPECT_EQ(BuildApprovalTexts("", "", 0, "", LoaderOf(kEnglish), NoMacros).header, "Approval doc.is ");
}

// The public-review text expanded through a real macro table over a fake section.
class PublicReviewTest : public ::testing::Test {
protected:
    class Section : public MacroSource {
    public:
        std::map<std::string, std::string> values;
        std::vector<std::string> ReadMacroNames() override {
            std::vector<std::string> names;
            for (const auto& entry : values) names.push_back(entry.first);
            return names;
        }
        std::string ReadMacroValue(const std::string& name) override { return values.at(name); }
    };

    MacroExpander Expander() {
        return [this](const std::string& text) {
            ++expansions;
            return ExpandMacros(text, table, section);
        };
    }

    Section section;
    MacroTable table;
    int expansions = 0;
};

TEST_F(PublicReviewTest, TheKindTextOfCodeFPassesThroughTheMacros) {
    section.values[Cp949("공람")] = Cp949("회람");
    const ApprovalTexts texts = BuildApprovalTexts("F", "1", 0, "", LoaderOf(kKorean), Expander());
    EXPECT_EQ(texts.documentKind, Cp949("회람문서"));
    EXPECT_EQ(texts.header, Cp949("회람문서가 도착하였습니다."));
    EXPECT_EQ(expansions, 1);
}

TEST_F(PublicReviewTest, WithoutTheKeyTheNameStays) {
    EXPECT_EQ(BuildApprovalTexts("F", "1", 0, "", LoaderOf(kKorean), Expander()).documentKind, Cp949("공람문서"));
    EXPECT_EQ(BuildApprovalTexts("F", "1", 0, "", LoaderOf(kEnglish), Expander()).header, "Public reviewis arrived.");
}

TEST_F(PublicReviewTest, OtherKindsAreTakenAsTheyStand) {
    const std::map<int, std::string> dollars = {{IDS_DOCKIND_REPORT_8, "$x$"}, {IDS_DOCKIND_DEFAULT, "$y$"}};
    section.values["x"] = "X";
    EXPECT_EQ(BuildApprovalTexts("8", "1", 0, "", LoaderOf(dollars), Expander()).documentKind, "$x$");
    EXPECT_EQ(BuildApprovalTexts("f", "1", 0, "", LoaderOf(dollars), Expander()).documentKind, "$y$");
    EXPECT_EQ(expansions, 0);
}

// The base sound of every action, with codes that have none.
const std::vector<std::pair<std::string, int>> kBaseSounds = {
    {"1", IDS_SOUND_APPR_ARRIVED},
    {"2", IDS_SOUND_APPR_PROCESSED},
    {"3", IDS_SOUND_APPR_REJECTED},
    {"4", IDS_SOUND_APPR_CANCELLED},
    {"5", IDS_SOUND_APPR_COMPLETED},
    {"6", IDS_SOUND_APPR_LINE_CHANGED},
    {"7", IDS_SOUND_APPR_HELD},
    {"8", kNoStringId},
    {"9", kNoStringId},
    {"0", kNoStringId},
    {"A", kNoStringId},
    {"", kNoStringId},
};

TEST(ApprovalSound, BaseNameByAction) {
    for (const char* kind : {"8", "X", "1", "", "7", "C", "l", "f"}) {
        for (const auto& [action, id] : kBaseSounds) EXPECT_EQ(ApprovalSoundId(kind, action), id) << kind << action;
    }
}

// The overrides by document kind, one row per kind and action; "*" stands for every action not
// listed before it for that kind, including non-digits and the empty code.
struct SoundOverride {
    const char* kinds;
    const char* action;
    int soundId;
};

constexpr int kBase = -1;

const SoundOverride kSoundOverrides[] = {
    {"9L", "1", IDS_SOUND_SEND_ARRIVED},    {"9L", "3", IDS_SOUND_SEND_REJECTED},
    {"9L", "5", IDS_SOUND_SEND_COMPLETED},  {"9L", "*", kBase},
    {"6", "2", IDS_SOUND_RECV_PROCESSED},   {"6", "3", IDS_SOUND_RECV_REJECTED},
    {"6", "5", IDS_SOUND_RECV_COMPLETED},   {"6", "9", kBase},
    {"6", "*", IDS_SOUND_RECV_ARRIVED},     {"23", "1", IDS_SOUND_AGREE_ARRIVED},
    {"23", "5", IDS_SOUND_AGREE_COMPLETED}, {"23", "*", kBase},
    {"45", "1", IDS_SOUND_AUDIT_ARRIVED},   {"45", "3", IDS_SOUND_AUDIT_REJECTED},
    {"45", "5", IDS_SOUND_AUDIT_COMPLETED}, {"45", "*", kBase},
    {"F", "*", IDS_SOUND_REVIEW_ARRIVED},
};

int ExpectedSound(char kind, const std::string& action, int base) {
    for (const SoundOverride& row : kSoundOverrides) {
        if (std::string_view(row.kinds).find(kind) == std::string_view::npos) continue;
        if (row.action != action && std::string_view(row.action) != "*") continue;
        return row.soundId == kBase ? base : row.soundId;
    }
    return base;
}

TEST(ApprovalSound, OverridesByDocumentKind) {
    for (const char kind : std::string("23456789FL")) {
        for (const auto& [action, base] : kBaseSounds) {
            EXPECT_EQ(ApprovalSoundId(std::string(1, kind), action), ExpectedSound(kind, action, base))
                << kind << "/" << action;
        }
    }
    // Spot checks that do not go through the table above.
    EXPECT_EQ(ApprovalSoundId("L2", "1"), IDS_SOUND_SEND_ARRIVED);
    EXPECT_EQ(ApprovalSoundId("6", " "), IDS_SOUND_RECV_ARRIVED);
    EXPECT_EQ(ApprovalSoundId("4", "2"), IDS_SOUND_APPR_PROCESSED);
    EXPECT_EQ(ApprovalSoundId("F", "9"), IDS_SOUND_REVIEW_ARRIVED);
    EXPECT_EQ(ApprovalSoundId("9", "8"), kNoStringId);
}

TEST(ApprovalSound, NamedCases) {
    EXPECT_EQ(ApprovalSoundId("F", "4"), IDS_SOUND_REVIEW_ARRIVED);
    EXPECT_EQ(ApprovalSoundId("8", "4"), IDS_SOUND_APPR_CANCELLED);
    EXPECT_EQ(ApprovalSoundId("6", "9"), kNoStringId);
    EXPECT_EQ(ApprovalSoundId("X", "8"), kNoStringId);
}

TEST(ApprovalDocumentType, NumberOrFirstByte) {
    EXPECT_EQ(ApprovalDocumentType("C"), 67);
    EXPECT_EQ(ApprovalDocumentType("2"), 2);
    EXPECT_EQ(ApprovalDocumentType("12"), 12);
    EXPECT_EQ(ApprovalDocumentType("3A"), 3);
    EXPECT_EQ(ApprovalDocumentType(" 7"), 7);
    EXPECT_EQ(ApprovalDocumentType("-4"), -4);
    EXPECT_EQ(ApprovalDocumentType(""), 0);
    EXPECT_EQ(ApprovalDocumentType("0"), '0');
    EXPECT_EQ(ApprovalDocumentType("c"), 99);
    EXPECT_EQ(ApprovalDocumentType("\xB0\xF8"), 0xB0) << "a double-byte character counts by its lead byte";
}

TEST(MoveDrafterToProcessor, AProcessedKindOneDocumentNamesItsProcessor) {
    std::string drafter = "Kim";
    std::string processor;
    MoveDrafterToProcessor("1", "2", drafter, processor);
    EXPECT_EQ(drafter, "");
    EXPECT_EQ(processor, "Kim");

    drafter = "Kim";
    processor = "Lee";
    MoveDrafterToProcessor("1", "2", drafter, processor);
    EXPECT_EQ(drafter, "");
    EXPECT_EQ(processor, "Kim");
}

TEST(MoveDrafterToProcessor, OnlyForExactlyThoseCodesAndAGivenDrafter) {
    const std::vector<std::pair<std::string, std::string>> others = {{"1", "1"},  {"2", "2"}, {"12", "2"}, {"1", "21"},
                                                                     {"1 ", "2"}, {"", "2"},  {"1", ""}};
    for (const auto& [kind, action] : others) {
        std::string drafter = "Kim";
        std::string processor = "Lee";
        MoveDrafterToProcessor(kind, action, drafter, processor);
        EXPECT_EQ(drafter, "Kim") << kind << "/" << action;
        EXPECT_EQ(processor, "Lee") << kind << "/" << action;
    }
    std::string drafter;
    std::string processor = "Lee";
    MoveDrafterToProcessor("1", "2", drafter, processor);
    EXPECT_EQ(processor, "Lee");
}

}  // namespace
}  // namespace mirelo
