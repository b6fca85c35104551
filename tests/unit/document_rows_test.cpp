#include "popups/document_rows.h"

#include <gtest/gtest.h>

#include "resources/string_ids.h"

namespace mirelo {
namespace {

KindFields Fields(std::vector<std::string> texts, int subKind = 1) {
    KindFields fields;
    fields.texts = std::move(texts);
    fields.subKind = subKind;
    return fields;
}

std::vector<int> Labels(const DocumentRows& rows) {
    std::vector<int> labels;
    for (const RowSpec& row : rows.rows) labels.push_back(row.labelId);
    return labels;
}

TEST(DocumentRows, BulletinBoardHasFourRowsOrFiveWithRecipients) {
    const std::vector<std::string> texts = {"01", "1", "poster", "board", "title", "", "date", "", "team", "0"};
    const DocumentRows rows = BbsRows(Fields(texts));
    EXPECT_EQ(Labels(rows), (std::vector<int>{IDS_TITLE_LABEL, IDS_BOARD_LABEL, IDS_POSTER_LABEL, IDS_DATE_LABEL}));
    EXPECT_EQ(rows.rows[0].value, "title");
    EXPECT_EQ(rows.rows[0].limit, 45u);
    EXPECT_EQ(rows.rows[2].limit, 0u) << "the poster is drawn as received";
    EXPECT_EQ(rows.labelWidth, 45);
    EXPECT_EQ(rows.firstLabelWidthBig, 55);
    const DocumentRows withRecipients = BbsRows(Fields(texts, 2));
    ASSERT_EQ(withRecipients.rows.size(), 5u);
    EXPECT_EQ(withRecipients.rows[4].labelId, IDS_RECIPIENTS_LABEL);
    EXPECT_EQ(withRecipients.rows[4].value, "team");
    EXPECT_EQ(withRecipients.rows[4].limit, 45u);
}

TEST(DocumentRows, MailAndScheduleShareTheirRows) {
    const KindFields mail = Fields({"02", "2", "sender", "subject", "", "date", "", "recipients", "1"}, 2);
    const DocumentRows rows =
        MailRows(mail, mail_field::kSubject, mail_field::kSender, mail_field::kDate, mail_field::kRecipients);
    EXPECT_EQ(Labels(rows),
              (std::vector<int>{IDS_TITLE_LABEL, IDS_SENDER_LABEL, IDS_DATE_LABEL, IDS_RECIPIENTS_LABEL}));
    EXPECT_EQ(rows.rows[1].value, "sender");
    EXPECT_EQ(rows.rows[3].value, "recipients");
}

TEST(DocumentRows, ApprovalRowsSkipEmptyNamesAndNumberWithoutGaps) {
    using namespace approval_field;
    std::vector<std::string> texts(11);
    texts[kSubject] = "subject";
    texts[kDate] = "date";
    DocumentRows rows = ApprovalRows(Fields(texts));
    EXPECT_EQ(Labels(rows), (std::vector<int>{IDS_DOC_SUBJECT_LABEL, IDS_PROCESS_DATE_LABEL})) << "date in row 1";
    EXPECT_EQ(rows.rows[0].limit, 43u);
    EXPECT_EQ(rows.labelWidth, 55);
    EXPECT_EQ(rows.firstLabelWidthBig, 68);

    texts[kProcessor] = "processor";
    texts[kDrafter] = "drafter";
    texts[kRecipients] = "<b>all</b>";
    rows = ApprovalRows(Fields(texts, 2));
    EXPECT_EQ(Labels(rows), (std::vector<int>{IDS_DOC_SUBJECT_LABEL, IDS_PROCESSOR_LABEL, IDS_DRAFTER_LABEL,
                                              IDS_PROCESS_DATE_LABEL, IDS_APPROVAL_RECIPIENT_LABEL}));
    EXPECT_EQ(rows.rows[4].limit, 43u);
}

TEST(DocumentRows, TheBigFontLimitsOnlyTheSubject) {
    const RowSpec subject{IDS_TITLE_LABEL, "s", 45};
    const RowSpec recipients{IDS_RECIPIENTS_LABEL, "r", 45};
    const RowSpec plain{IDS_DATE_LABEL, "d", 0};
    EXPECT_EQ(RowLimit(subject, 0, false), 45u);
    EXPECT_EQ(RowLimit(subject, 0, true), 32u);
    EXPECT_EQ(RowLimit(recipients, 3, true), 45u);
    EXPECT_EQ(RowLimit(plain, 0, true), 0u);
}

TEST(DocumentRows, ViewRules) {
    EXPECT_TRUE(DocumentViewOffered(false, "Open", true, 1));
    EXPECT_FALSE(DocumentViewOffered(false, "", true, 1)) << "no function name";
    EXPECT_FALSE(DocumentViewOffered(false, "Open", false, 1)) << "UseView off";
    EXPECT_FALSE(DocumentViewOffered(false, "Open", true, 2)) << "sub-kind 2";
    EXPECT_FALSE(DocumentViewOffered(true, "Open", true, 1)) << "schedules never";
}

}  // namespace
}  // namespace mirelo
