#include "args.h"

#include <algorithm>
#include <limits>

namespace winspect {

bool ParseNumber(std::wstring_view text, std::int64_t& value) {
    bool negative = false;
    if (!text.empty() && text.front() == L'-') {
        negative = true;
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    std::uint64_t magnitude = 0;
    for (wchar_t c : text) {
        unsigned digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        } else {
            return false;
        }
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / base) {
            return false;
        }
        magnitude = magnitude * base + digit;
    }
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > kMax + (negative ? 1 : 0)) {
        return false;
    }
    // Negating in unsigned arithmetic keeps INT64_MIN representable.
    value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

std::wstring Args::Parse(std::span<const std::wstring> words, std::span<const OptionDef> known) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::wstring name = words[i];
        std::wstring value;
        bool inlineValue = false;
        if (auto equals = name.find(L'='); name.starts_with(L"--") && equals != std::wstring::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            inlineValue = true;
        }
        auto option = std::find_if(known.begin(), known.end(), [&](const OptionDef& o) { return o.name == name; });
        if (option == known.end()) {
            return L"unknown option " + name;
        }
        if (option->kind == OptionKind::Flag) {
            if (inlineValue) {
                return name + L" takes no value";
            }
            texts_[name] = L"";
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= words.size()) {
                return name + L" needs a value";
            }
            value = words[++i];
        }
        if (option->kind == OptionKind::Number) {
            std::int64_t number = 0;
            if (!ParseNumber(value, number)) {
                return name + L" needs a number, not \"" + value + L"\"";
            }
            numbers_[name] = number;
        }
        texts_[name] = value;
    }
    return {};
}

bool Args::Has(std::wstring_view name) const { return texts_.find(name) != texts_.end(); }

std::wstring Args::Text(std::wstring_view name) const {
    auto it = texts_.find(name);
    return it == texts_.end() ? std::wstring() : it->second;
}

std::int64_t Args::Number(std::wstring_view name, std::int64_t fallback) const {
    auto it = numbers_.find(name);
    return it == numbers_.end() ? fallback : it->second;
}

}  // namespace winspect
