#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "popups/payload_codec.h"

namespace mirelo {

// Converts one payload text into the ANSI code page (LevelDigit rules).
using TextConverter = std::function<std::string(std::string_view)>;

// What a kind handler keeps of the last notification of its family. Texts are emptied before every
// decode; the integers (sub-kind, flag, link type number) keep their value when a notification leaves
// their field out.
struct KindFields {
    std::vector<std::string> texts;  // by field index; "" when absent
    LinkField link;
    int subKind = 0;
    int flag = 0;

    bool IsUrgent() const { return (flag & 1) != 0; }
    const std::string& Text(int index) const { return texts.at(static_cast<std::size_t>(index)); }

    void Reset(const PayloadLayout& layout);
    // subKindIndex and flagIndex name the integer fields of the layout.
    void Decode(std::string_view payload, const PayloadLayout& layout, int subKindIndex, int flagIndex,
                const TextConverter& convert);
};

// Field indexes of the families.
namespace bbs_field {
enum : int { kKindCode, kSubKind, kPoster, kBoard, kTitle, kText, kDate, kLink, kRecipients, kFlag };
}
namespace mail_field {
enum : int { kKindCode, kSubKind, kSender, kSubject, kText, kDate, kLink, kRecipients, kFlag };
}
namespace schedule_field {
enum : int { kKindCode, kSubKind, kRequester, kSubject, kDate, kLink, kRecipients, kFlag };
}
namespace approval_field {
enum : int { kKindCode, kDocKind, kAction, kDrafter, kProcessor, kSubject, kDate, kSubKind, kLink, kRecipients, kFlag };
}

// The record lines of the families (the approval line also takes the dispatched kind).
std::string BbsRecordLine(const KindFields& fields, std::string_view userKey);
std::string MailRecordLine(const KindFields& fields, std::string_view userKey);
std::string ScheduleRecordLine(const KindFields& fields, std::string_view userKey);

}  // namespace mirelo
