// The animated notifier's text: a notice's payload (header and payload, as received), its text and
// sender fields read line by line, and the clip the ICON line picks.
#include "fuzz_support.h"
#include "popups/kind_fields.h"
#include "popups/message_text.h"
#include "popups/notifier_text.h"
#include "popups/popup_text.h"
#include "reception/framing.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    KindFields fields;
    fields.Decode(fuzz::Bytes(data, size).substr(kHeaderSize), kNoticeLayout, -1, notice_field::kFlag,
                  [](std::string_view text) { return std::string(text); });
    const NotifierFields notifier =
        ParseNotifierText(fields.Text(notice_field::kText), fields.Text(notice_field::kSender));
    const NotifierLook look = NotifierLookOf(notifier.icon, IsCp949LeadByte);
    fuzz::Require(look.clipName == kDefaultNotifierClip || IsPlainFileName(look.clipName, IsCp949LeadByte),
                  "the clip is a plain file name");
    for (const std::string& row : notifier.rows) PrepareRowText(row, kNotifierRowLimit, IsCp949LeadByte);
    return 0;
}
