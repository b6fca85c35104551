#include "reception/xml_batch.h"

#include <algorithm>
#include <array>
#include <pugixml.hpp>

#include "core/text.h"
#include "store/euc_kr.h"
#include "store/xml_reader.h"

namespace mirelo {

namespace {

constexpr std::string_view kNotifyName = "notify";

// The child elements a notify element is read from. For each name the first element of that name
// anywhere below the notify element counts, as a search of its descendants by tag name finds it.
enum Field { kSender, kSubject, kFlag, kDate, kFunctionName, kOpenUrl, kTitle, kDecisionUser, kUploadUser, kDocType };
constexpr std::array<std::string_view, 10> kFieldNames = {
    "sender",  "subject", "flag",          "date",        "function-name",
    "openurl", "title",   "decision-user", "upload-user", "doc-type",
};

struct NotifyElement {
    pugi::xml_node element;
    std::array<pugi::xml_node, kFieldNames.size()> fields;
};

int FieldOf(std::string_view name) {
    const auto found = std::find(kFieldNames.begin(), kFieldNames.end(), name);
    return found == kFieldNames.end() ? -1 : static_cast<int>(found - kFieldNames.begin());
}

bool IsNotify(pugi::xml_node node) { return node.type() == pugi::node_element && node.name() == kNotifyName; }

// Finds every notify element, in document order, and in the same single walk the first element of
// each field name below each of them. A field element is handed to every enclosing notify element
// that has none of that name yet; those are always the innermost ones, so every slot is filled once
// and the walk stays linear however deeply the elements nest.
std::vector<NotifyElement> FindNotifyElements(const pugi::xml_document& document) {
    std::vector<NotifyElement> found;
    std::vector<std::size_t> open;                       // the enclosing notify elements, outermost first
    std::array<std::size_t, kFieldNames.size()> have{};  // open[0 .. have[f]) already hold field f

    const auto enter = [&](pugi::xml_node node) {
        if (node.type() != pugi::node_element) return;
        if (const int field = FieldOf(node.name()); field >= 0) {
            for (std::size_t i = have[field]; i < open.size(); ++i) found[open[i]].fields[field] = node;
            have[field] = open.size();
        }
        if (IsNotify(node)) {
            open.push_back(found.size());
            found.push_back({node, {}});
        }
    };
    const auto leave = [&](pugi::xml_node node) {
        if (!IsNotify(node)) return;
        open.pop_back();
        for (std::size_t& count : have) count = std::min(count, open.size());
    };

    pugi::xml_node node = document.first_child();
    while (node) {
        enter(node);
        if (pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        while (node) {
            leave(node);
            if (pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
            if (node.type() == pugi::node_document) node = pugi::xml_node();
        }
    }
    return found;
}

// The value of the first child node of the field element: "" when the element is missing or empty,
// or when its first child is itself an element.
std::string Text(const NotifyElement& notify, Field field, const TextCodec& codec) {
    const pugi::xml_node element = notify.fields[field];
    return element ? Utf8ToAnsi(element.first_child().value(), codec) : std::string();
}

std::string OrBlank(std::string text) { return text.empty() ? std::string(" ") : text; }

std::string RecordLine(const NotifyElement& notify, std::string_view userKey, const TextCodec& codec) {
    const int kind = ParseInt(notify.element.attribute("type").value());
    std::string sender = OrBlank(Text(notify, kSender, codec));
    std::string subject = OrBlank(Text(notify, kSubject, codec));
    const int flag = ParseInt(Text(notify, kFlag, codec));
    const std::string date = OrBlank(Text(notify, kDate, codec));
    const std::string functionName = OrBlank(Text(notify, kFunctionName, codec));
    const std::string openUrl = OrBlank(Text(notify, kOpenUrl, codec));
    int docType = 0;
    if (kind == kKindMessage || kind == kKindMessageOther) {
        subject = OrBlank(Text(notify, kTitle, codec));
    } else if (kind >= kKindApprovalFirst && kind <= kKindApprovalLast) {
        const std::string decisionUser = Text(notify, kDecisionUser, codec);
        sender = !decisionUser.empty() ? decisionUser : OrBlank(Text(notify, kUploadUser, codec));
        docType = ParseInt(Text(notify, kDocType, codec));
    }
    return BuildRecordLine(kind, userKey, flag, date, subject, sender, functionName, openUrl, docType);
}

}  // namespace

std::vector<std::string> BatchRecordLines(std::string_view payload, std::string_view userKey, const TextCodec& codec,
                                          std::string* rejected) {
    pugi::xml_document document;
    const XmlVerdict verdict = ReadXml(AnsiToUtf8(payload, codec), XmlBytes::Utf8, document);
    if (rejected != nullptr) *rejected = verdict.WellFormed() ? std::string() : verdict.Describe();
    if (!verdict.WellFormed()) return {};
    std::vector<std::string> lines;
    for (const NotifyElement& notify : FindNotifyElements(document)) {
        lines.push_back(RecordLine(notify, userKey, codec));
    }
    return lines;
}

std::vector<NotificationRecord> BatchRecords(std::string_view payload, std::string_view userKey, const TextCodec& codec,
                                             std::string* rejected) {
    std::vector<NotificationRecord> records;
    for (const std::string& line : BatchRecordLines(payload, userKey, codec, rejected)) {
        NotificationRecord record;
        if (ParseRecordLine(line, record)) records.push_back(std::move(record));
    }
    return records;
}

}  // namespace mirelo
