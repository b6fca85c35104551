#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace winspect {

enum class OptionKind { Flag, Text, Number };

struct OptionDef {
    std::wstring_view name;  // with its dashes, e.g. L"--title"
    OptionKind kind;
};

// Reads a decimal or 0x-hexadecimal number with an optional leading minus; false unless the whole
// text is one number that fits in 64 bits.
bool ParseNumber(std::wstring_view text, std::int64_t& value);

// The options of one command, checked against the command's table when they are read: a number
// option holds a valid number afterwards, so commands never see malformed input.
class Args {
public:
    // Reads "--name value", "--name=value" and "--flag" words. Returns an error text, empty on success.
    std::wstring Parse(std::span<const std::wstring> words, std::span<const OptionDef> known);

    bool Has(std::wstring_view name) const;
    std::wstring Text(std::wstring_view name) const;
    std::int64_t Number(std::wstring_view name, std::int64_t fallback) const;

private:
    std::map<std::wstring, std::wstring, std::less<>> texts_;
    std::map<std::wstring, std::int64_t, std::less<>> numbers_;
};

}  // namespace winspect
