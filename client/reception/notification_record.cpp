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

    for (std::size_t i = 0; i < tokens.size() && i < 10; ++i) {
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
    return true;
}

}  // namespace mirelo
