#include "store/macros.h"

#include <algorithm>

namespace mirelo {

void MacroTable::Load(MacroSource& source) {
    if (!values_.empty()) return;
    if (names_.empty()) names_ = source.ReadMacroNames();
    for (const std::string& name : names_) values_.emplace(name, source.ReadMacroValue(name));
}

const std::string* MacroTable::Find(std::string_view name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &found->second;
}

std::string ExpandMacros(std::string_view text, MacroTable& table, MacroSource& source) {
    table.Load(source);
    std::string result(text);
    // Scanning bytes is safe in code page 949: "$" is never the second byte of a double-byte character.
    std::size_t pos = 0;
    while (true) {
        const auto open = result.find('$', pos);
        if (open == std::string::npos) break;
        const auto close = result.find('$', open + 1);
        if (close == std::string::npos) break;
        const std::string name = result.substr(open + 1, close - open - 1);
        if (const std::string* value = table.Find(name)) {
            result.replace(open, close - open + 1, *value);
            pos = open + value->size();
        } else {
            result.erase(close, 1);
            result.erase(open, 1);
            pos = close - 1;
        }
    }
    return result;
}

std::vector<std::string> SplitNameList(std::string_view buffer) {
    std::vector<std::string> names;
    std::size_t pos = 0;
    while (pos < buffer.size()) {
        const auto end = std::min(buffer.find('\0', pos), buffer.size());
        if (end == pos) break;
        names.emplace_back(buffer.substr(pos, end - pos));
        pos = end + 1;
    }
    return names;
}

}  // namespace mirelo
