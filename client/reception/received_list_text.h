#pragma once

#include <string>
#include <string_view>

#include "core/string_table.h"

namespace mirelo {

// Subject markers the groupware puts in front of a subject, as the server sends them: code page
// 949 bytes, whatever the language of the user interface ("[보안]", "[일반]", "[긴급]", "[중요]").
inline constexpr std::string_view kSecurityMarker = "[\xBA\xB8\xBE\xC8]";
inline constexpr std::string_view kGeneralMarker = "[\xC0\xCF\xB9\xDD]";
inline constexpr std::string_view kUrgentMarker = "[\xB1\xE4\xB1\xDE]";
inline constexpr std::string_view kImportantMarker = "[\xC1\xDF\xBF\xE4]";

// The sender as the list shows it: the text before its first "(" (a department), without the
// blanks that separated the two; the whole sender when it has no "(".
std::string ShortSender(std::string_view sender);

// The sender as a sentence speaks it: the text up to its first blank.
std::string SpeakingName(std::string_view sender);

// The subject as the list shows it. For mail, schedules and approvals (kinds 2 to 7) a security
// marker takes the first 12 bytes away (it is always followed by a second marker) and any other
// marker the first 6; other kinds keep their subject. Blanks at the end are removed either way.
std::string DisplaySubject(int kind, std::string_view subject);

// The list's sentence for one notification: mail and schedules read "from", approvals "by"; other
// kinds have none.
std::string ReceivedListText(int kind, std::string_view shortSender, std::string_view displaySubject,
                             std::string_view kindText, const TextLoader& loadText);

// The texts of one received-list item, from the record's sender and subject.
struct ReceivedListTexts {
    std::string sender;  // trimmed
    std::string shortSender;
    std::string subject;  // trimmed
    std::string displaySubject;
    std::string listText;
};

ReceivedListTexts BuildReceivedListTexts(int kind, std::string_view sender, std::string_view subject,
                                         std::string_view kindText, const TextLoader& loadText);

}  // namespace mirelo
