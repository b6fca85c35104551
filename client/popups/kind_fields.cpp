#include "popups/kind_fields.h"

#include "core/text.h"
#include "reception/notification_record.h"

namespace mirelo {

void KindFields::Reset(const PayloadLayout& layout) {
    texts.assign(static_cast<std::size_t>(layout.fieldCount), std::string());
    link.functionName.clear();
    link.openUrl.clear();
}

void KindFields::Decode(std::string_view payload, const PayloadLayout& layout, int subKindIndex, int flagIndex,
                        const TextConverter& convert) {
    Reset(layout);
    const PayloadFields decoded = DecodePayload(payload, layout);
    for (int index = 0; index < layout.fieldCount; ++index) {
        const auto& field = decoded[static_cast<std::size_t>(index)];
        if (index == flagIndex) {
            flag = DecodeFlag(field, flag);
            continue;
        }
        if (!field) continue;
        if (index == layout.linkIndex) {
            // The link is structured bytes: its two texts are converted after it is taken apart.
            LinkField parsed = ParseLinkField(*field);
            link.typeNumber = parsed.typeNumber;
            link.functionName = convert(parsed.functionName);
            link.openUrl = convert(parsed.openUrl);
            continue;
        }
        if (index == subKindIndex) subKind = ParseInt(*field);
        texts[static_cast<std::size_t>(index)] = convert(*field);
    }
}

std::string BbsRecordLine(const KindFields& f, std::string_view userKey) {
    using namespace bbs_field;
    return BuildRecordLine(kKindBbs, userKey, f.flag, f.Text(kDate), f.Text(kTitle), f.Text(kPoster),
                           f.link.functionName, f.link.openUrl, 0);
}

std::string MailRecordLine(const KindFields& f, std::string_view userKey) {
    using namespace mail_field;
    return BuildRecordLine(kKindMail, userKey, f.flag, f.Text(kDate), f.Text(kSubject), f.Text(kSender),
                           f.link.functionName, f.link.openUrl, 0);
}

std::string ScheduleRecordLine(const KindFields& f, std::string_view userKey) {
    using namespace schedule_field;
    return BuildRecordLine(kKindSchedule, userKey, f.flag, f.Text(kDate), f.Text(kSubject), f.Text(kRequester),
                           f.link.functionName, f.link.openUrl, 0);
}

}  // namespace mirelo
