#include "popups/document_rows.h"

#include "popups/popup_text.h"
#include "resources/string_ids.h"

namespace mirelo {

namespace {

constexpr int kRecipientsSubKind = 2;

}  // namespace

DocumentRows BbsRows(const KindFields& f) {
    using namespace bbs_field;
    DocumentRows rows;
    rows.rows = {{IDS_TITLE_LABEL, f.Text(kTitle), kDocumentRowLimit},
                 {IDS_BOARD_LABEL, f.Text(kBoard), 0},
                 {IDS_POSTER_LABEL, f.Text(kPoster), 0},
                 {IDS_DATE_LABEL, f.Text(kDate), 0}};
    if (f.subKind == kRecipientsSubKind)
        rows.rows.push_back({IDS_RECIPIENTS_LABEL, f.Text(kRecipients), kDocumentRowLimit});
    return rows;
}

DocumentRows MailRows(const KindFields& f, int subjectIndex, int senderIndex, int dateIndex, int recipientsIndex) {
    DocumentRows rows;
    rows.rows = {{IDS_TITLE_LABEL, f.Text(subjectIndex), kDocumentRowLimit},
                 {IDS_SENDER_LABEL, f.Text(senderIndex), 0},
                 {IDS_DATE_LABEL, f.Text(dateIndex), 0}};
    if (f.subKind == kRecipientsSubKind) {
        rows.rows.push_back({IDS_RECIPIENTS_LABEL, f.Text(recipientsIndex), kDocumentRowLimit});
    }
    return rows;
}

DocumentRows ApprovalRows(const KindFields& f) {
    using namespace approval_field;
    DocumentRows rows;
    rows.labelWidth = 55;
    rows.firstLabelWidthBig = 68;
    rows.rows = {{IDS_DOC_SUBJECT_LABEL, f.Text(kSubject), kApprovalRowLimit}};
    if (!f.Text(kProcessor).empty()) rows.rows.push_back({IDS_PROCESSOR_LABEL, f.Text(kProcessor), 0});
    if (!f.Text(kDrafter).empty()) rows.rows.push_back({IDS_DRAFTER_LABEL, f.Text(kDrafter), 0});
    rows.rows.push_back({IDS_PROCESS_DATE_LABEL, f.Text(kDate), 0});
    if (f.subKind == kRecipientsSubKind) {
        rows.rows.push_back({IDS_APPROVAL_RECIPIENT_LABEL, f.Text(kRecipients), kApprovalRowLimit});
    }
    return rows;
}

std::size_t RowLimit(const RowSpec& row, std::size_t index, bool bigFont) {
    return index == 0 && bigFont && row.limit != 0 ? kBigFontLimit : row.limit;
}

bool DocumentViewOffered(bool viewNever, std::string_view functionName, bool useView, int subKind) {
    return !viewNever && !functionName.empty() && useView && subKind != kRecipientsSubKind;
}

}  // namespace mirelo
