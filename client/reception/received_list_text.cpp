#include "reception/received_list_text.h"

#include "reception/notification_record.h"
#include "resources/string_ids.h"

namespace mirelo {

namespace {

// The blanks the groupware's own trimming removes: space, tab, line feed, vertical tab, form feed
// and carriage return. No byte of a double-byte character is among them.
constexpr std::string_view kBlanks = " \t\n\v\f\r";

constexpr std::size_t kSecurityCut = 12;
constexpr std::size_t kMarkerCut = 6;

std::string_view TrimRight(std::string_view text) {
    const auto last = text.find_last_not_of(kBlanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view() : TrimRight(text.substr(first));
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool IsListedWithMarkers(int kind) { return kind >= kKindMail && kind <= kKindApprovalLast; }

}  // namespace

std::string ShortSender(std::string_view sender) {
    const auto bracket = sender.find('(');
    if (bracket == std::string_view::npos) return std::string(sender);
    return std::string(TrimRight(sender.substr(0, bracket)));
}

std::string SpeakingName(std::string_view sender) { return std::string(sender.substr(0, sender.find(' '))); }

std::string DisplaySubject(int kind, std::string_view subject) {
    std::string_view shown = subject;
    if (IsListedWithMarkers(kind)) {
        // The groupware writes its markers first; the cut counts from the start of the subject in any case.
        std::size_t cut = 0;
        if (Contains(subject, kSecurityMarker)) {
            cut = kSecurityCut;
        } else if (Contains(subject, kGeneralMarker) || Contains(subject, kUrgentMarker) ||
                   Contains(subject, kImportantMarker)) {
            cut = kMarkerCut;
        }
        shown = cut < subject.size() ? subject.substr(cut) : std::string_view();
    }
    return std::string(TrimRight(shown));
}

std::string ReceivedListText(int kind, std::string_view shortSender, std::string_view displaySubject,
                             std::string_view kindText, const TextLoader& loadText) {
    if (kind == kKindMail || kind == kKindSchedule) {
        return FormatText(loadText(IDS_LISTTEXT_FROM), {shortSender, displaySubject, kindText});
    }
    if (kind >= kKindApprovalFirst && kind <= kKindApprovalLast) {
        return FormatText(loadText(IDS_LISTTEXT_APPROVAL), {shortSender, displaySubject, kindText});
    }
    return {};
}

ReceivedListTexts BuildReceivedListTexts(int kind, std::string_view sender, std::string_view subject,
                                         std::string_view kindText, const TextLoader& loadText) {
    ReceivedListTexts texts;
    texts.sender = std::string(Trim(sender));
    texts.subject = std::string(Trim(subject));
    texts.shortSender = ShortSender(texts.sender);
    texts.displaySubject = DisplaySubject(kind, texts.subject);
    texts.listText = ReceivedListText(kind, texts.shortSender, texts.displaySubject, kindText, loadText);
    return texts;
}

}  // namespace mirelo
