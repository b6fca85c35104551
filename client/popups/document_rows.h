#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "popups/kind_fields.h"

namespace mirelo {

// One labelled row of a document pop-up. A row with a byte limit loses its markup, is cut to the
// limit and gets its ampersands doubled before drawing; a row without one is drawn as received.
struct RowSpec {
    int labelId = 0;  // string id of the label
    std::string value;
    std::size_t limit = 0;
};

// The rows of a document pop-up and the widths of their labels.
struct DocumentRows {
    std::vector<RowSpec> rows;  // row 0 is the subject
    int labelWidth = 45;
    int firstLabelWidthBig = 55;  // row 0 with the big font
};

inline constexpr std::size_t kDocumentRowLimit = 45;
inline constexpr std::size_t kApprovalRowLimit = 43;

DocumentRows BbsRows(const KindFields& fields);
// Mail and schedule: the sender row shows the mail's sender or the schedule's requester.
DocumentRows MailRows(const KindFields& fields, int subjectIndex, int senderIndex, int dateIndex, int recipientsIndex);
DocumentRows ApprovalRows(const KindFields& fields);

// The limit a row is prepared with: row 0 takes the big-font limit when the big font is on.
std::size_t RowLimit(const RowSpec& row, std::size_t index, bool bigFont);

// Whether a document pop-up offers View: never for schedules, and not without a function name,
// with UseView off, or for sub-kind 2.
bool DocumentViewOffered(bool viewNever, std::string_view functionName, bool useView, int subKind);

}  // namespace mirelo
