#include "reception/notification_record.h"

#include "core/text.h"

#include <vector>

namespace mirelo {

std::string BuildRecordLine(int kind, std::string_view userKey, int flag, std::string_view date,
                            std::string_view subject, std::string_view sender, std::string_view functionName,
                            std::string_view openUrl, int docType, int extra) {
    std::string line = std::to_string(kind);
    const auto field = [&line](std::string_view text) {
        line += '\t';
        line += text;
    };
    field(userKey);
    field(std::to_string(flag));
    field(date);
    field(subject);
    field(sender);
    field(functionName);
    field(openUrl);
    field(std::to_string(docType));
    field(std::to_string(extra));
    return line;
}

namespace {

constexpr std::size_t kRecordFields = 10;

void AssignTokens(const std::vector<std::string_view>& tokens, NotificationRecord& record) {
    for (std::size_t i = 0; i < tokens.size() && i < kRecordFields; ++i) {
        const std::string_view token = tokens[i];
        switch (i) {
            case 0: record.kind = ParseInt(token); break;
            case 1: break;  // the user key is not kept
            case 2: record.flag = ParseInt(token); break;
            case 3: record.date = token; break;
            case 4: record.subject = token; break;
            case 5: record.sender = token; break;
            case 6: record.functionName = token; break;
            case 7: record.openUrl = token; break;
            case 8: record.docType = ParseInt(token); break;
            case 9: record.extra = ParseInt(token); break;
        }
    }
}

}  // namespace

bool ParseRecordLine(std::string_view line, NotificationRecord& record) {
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto start = line.find_first_not_of('\t', pos);
        if (start == std::string_view::npos) break;
        const auto end = line.find('\t', start);
        tokens.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        pos = end == std::string_view::npos ? line.size() : end;
    }
    if (tokens.empty()) return false;
    AssignTokens(tokens, record);
    return true;
}

bool ParseRecordFields(std::string_view line, NotificationRecord& record) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find('\t', start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos || fields.size() > kRecordFields) break;
        start = end + 1;
    }
    if (fields.size() != kRecordFields) return ParseRecordLine(line, record);
    AssignTokens(fields, record);
    return true;
}

}  // namespace mirelo
