// A notification of one of the binary kinds (header and payload, as the receiver hands it over):
// the kind's payload decoder with the text conversion of every LevelDigit, then what the client
// makes of the fields: the record line, read back as the store reads it, and the pop-up's texts.
#include "fuzz_support.h"
#include "popups/approval_text.h"
#include "popups/document_rows.h"
#include "popups/message_text.h"
#include "popups/popup_text.h"
#include "reception/dispatch_plan.h"
#include "reception/framing.h"
#include "reception/notification_record.h"
#include "store/payload_text.h"

using namespace mirelo;

namespace {

struct KindLayout {
    const PayloadLayout* layout;
    int subKindIndex;
    int flagIndex;
};

KindLayout LayoutOf(Family family) {
    switch (family) {
        case Family::Bbs: return {&kBbsLayout, bbs_field::kSubKind, bbs_field::kFlag};
        case Family::Mail: return {&kMailLayout, mail_field::kSubKind, mail_field::kFlag};
        case Family::Schedule: return {&kScheduleLayout, schedule_field::kSubKind, schedule_field::kFlag};
        case Family::Approval: return {&kApprovalLayout, approval_field::kSubKind, approval_field::kFlag};
        case Family::Message: return {&kMessageLayout, -1, -1};
        default: return {&kNoticeLayout, -1, notice_field::kFlag};
    }
}

std::string RecordLineOf(Family family, int kind, KindFields& f) {
    using namespace approval_field;
    switch (family) {
        case Family::Bbs: return BbsRecordLine(f, "user");
        case Family::Mail: return MailRecordLine(f, "user");
        case Family::Schedule: return ScheduleRecordLine(f, "user");
        case Family::Approval:
            MoveDrafterToProcessor(f.Text(kDocKind), f.Text(kAction), f.texts[kDrafter], f.texts[kProcessor]);
            ApprovalSoundId(f.Text(kDocKind), f.Text(kAction));
            ActionTextId(f.Text(kDocKind), f.Text(kAction));
            return BuildRecordLine(kind, "user", f.flag, f.Text(kDate), f.Text(kSubject), f.Text(kProcessor),
                                   f.link.functionName, f.link.openUrl, ApprovalDocumentType(f.Text(kDocKind)));
        case Family::Message:
            f.texts[message_field::kBody] += "\r\n";
            MessageVariant(f.Text(message_field::kKindText), kind);
            MessageIconOf(f.Text(message_field::kIconCode));
            BoundMessageRows(SplitMessageBody(f.Text(message_field::kBody)), 40, IsCp949LeadByte);
            return MessageRecordLine(f, "user");
        default:
            MakeNoticeTitle(f.Text(notice_field::kSender), " suffix", "fallback");
            return NoticeRecordLine(f, "user");
    }
}

void PrepareRows(const DocumentRows& rows) {
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        PrepareRowText(rows.rows[i].value, RowLimit(rows.rows[i], i, i == 0), IsCp949LeadByte);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    const std::string_view message = fuzz::Bytes(data, size);
    const int kind = ParseHeader(message.substr(0, kHeaderSize)).kind;
    const Family family = FamilyOfKind(kind);
    if (family == Family::None || family == Family::Alert) return 0;
    const std::string_view payload = message.substr(kHeaderSize);
    const KindLayout layout = LayoutOf(family);

    // The level is the header's last digit but one, so that every conversion gets its share.
    const int level = (message[kHeaderSize - 3] & 0x0f) % 10;
    KindFields fields;
    fields.Decode(payload, *layout.layout, layout.subKindIndex, layout.flagIndex,
                  [level](std::string_view text) { return ReadPayloadText(text, level, fuzz::Codec()); });
    fuzz::Require(fields.texts.size() == static_cast<std::size_t>(layout.layout->fieldCount), "one text per field");

    if (family == Family::Bbs) PrepareRows(BbsRows(fields));
    if (family == Family::Mail) PrepareRows(MailRows(fields, 3, 2, 5, 7));
    if (family == Family::Approval) PrepareRows(ApprovalRows(fields));

    const std::string line = RecordLineOf(family, kind, fields);
    NotificationRecord record;
    ParseRecordLine(line, record);
    return 0;
}
