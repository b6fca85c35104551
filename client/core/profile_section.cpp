#include "core/profile_section.h"

#include <algorithm>

namespace mirelo {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

ProfileSection::ProfileSection(std::string_view entries) {
    while (!entries.empty()) {
        const std::size_t end = std::min(entries.find('\0'), entries.size());
        const std::string_view entry = entries.substr(0, end);
        entries.remove_prefix(std::min(end + 1, entries.size()));
        // An entry without "=" (a comment, a stray line) holds no value.
        const std::size_t equals = entry.find('=');
        const std::string_view key = Trimmed(entry.substr(0, std::min(equals, entry.size())));
        if (equals == std::string_view::npos || key.empty()) continue;
        values_.emplace(LowerAscii(key), std::string(WithoutQuotes(Trimmed(entry.substr(equals + 1)))));
    }
}

std::optional<std::string> ProfileSection::Find(std::string_view key, std::size_t bufferSize) const {
    const auto found = values_.find(LowerAscii(key));
    if (found == values_.end()) return std::nullopt;
    return found->second.substr(0, bufferSize > 0 ? bufferSize - 1 : 0);
}

}  // namespace mirelo
