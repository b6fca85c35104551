#include "popups/notifier_text.h"

#include "core/text.h"

namespace mirelo {

namespace {

constexpr std::string_view kHeaderKey = "HEADER:";
constexpr std::string_view kIconKey = "ICON:";
constexpr std::array<std::string_view, 4> kRowKeys = {"TEXT1:", "TEXT2:", "TEXT3:", "TEXT4:"};
constexpr std::string_view kNull = "null";

void ReadLine(std::string_view line, NotifierFields& fields) {
    const auto take = [line](std::string_view key, std::string& target) {
        if (!line.starts_with(key)) return false;
        const std::string_view value = line.substr(key.size());
        if (value != kNull) target = std::string(value);
        return true;
    };
    if (take(kHeaderKey, fields.header) || take(kIconKey, fields.icon)) return;
    for (std::size_t i = 0; i < kRowKeys.size(); ++i) {
        if (take(kRowKeys[i], fields.rows[i])) return;
    }
}

}  // namespace

NotifierFields ParseNotifierText(std::string_view noticeText, std::string_view sender) {
    std::string text(noticeText);
    text += sender;
    NotifierFields fields;
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (!line.empty()) ReadLine(line, fields);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return fields;
}

std::string BuildNotifierText(std::string_view header, std::string_view icon, const std::array<std::string, 4>& rows) {
    std::string text;
    const auto line = [&text](std::string_view key, std::string_view value) {
        if (value.empty()) return;
        (((text += key) += value) += '\n');
    };
    line(kHeaderKey, header);
    line(kIconKey, icon);
    for (std::size_t i = 0; i < rows.size(); ++i) line(kRowKeys[i], rows[i]);
    return text;
}

NotifierLook NotifierLookOf(std::string_view icon, LeadByteTest isLead) {
    if (EqualsNoCase(icon, "mailavi.avi")) return {{225, 227, 241}, {5, 5, 55, 45}, std::string(icon)};
    if (EqualsNoCase(icon, "sancavi.avi")) return {{241, 232, 221}, {5, 5, 45, 45}, std::string(icon)};
    if (EqualsNoCase(icon, "gsavi.avi")) return {{237, 244, 225}, {5, 5, 45, 45}, std::string(icon)};
    const std::string clip = IsPlainFileName(icon, isLead) ? std::string(icon) : std::string(kDefaultNotifierClip);
    return {{230, 245, 245}, {5, 5, 43, 45}, clip};
}

bool IsPlainFileName(std::string_view name, LeadByteTest isLead) {
    if (name.empty() || name == "." || name == "..") return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isLead(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':') return false;
    }
    return true;
}

}  // namespace mirelo
