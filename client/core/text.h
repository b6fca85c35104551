#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mirelo {

// Converts the leading decimal number of a text the way the Windows C runtime's atoi does:
// leading white space and one sign are allowed, conversion stops at the first non-digit, no digits
// give 0, and a value beyond the int range saturates at INT_MIN or INT_MAX.
int ParseInt(std::string_view text);

// The same conversion without the int range: any ten-character number is exact; values beyond
// +-10^18 saturate there.
std::int64_t ParseInt64(std::string_view text);

// A stored boolean is true exactly when its first character is '1' ("10" is true, "true" is false).
bool IsTrueFlag(std::string_view text);

// Removes blanks (spaces only) at both ends.
std::string TrimSpaces(std::string_view text);

// Cuts a text to what a character buffer of the given size holds (size - 1 characters).
std::string FitBuffer(std::string_view text, std::size_t bufferSize);

// Replaces every occurrence of `from` (which must not be empty) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// True when the texts are equal, ignoring ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// True when `text` ends with `suffix`, ignoring ASCII case.
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

}  // namespace mirelo
