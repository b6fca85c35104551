#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mirelo_send {

// Lower-case hex digits, two per byte, with `separator` between bytes.
std::string ToHex(std::string_view bytes, std::string_view separator = "");

// Reads hex digits in pairs; blanks, tabs, ':' and '-' between pairs are allowed. nullopt when a
// digit is invalid or a pair is incomplete.
std::optional<std::string> FromHex(std::string_view text);

// Standard base64 with padding.
std::string ToBase64(std::string_view bytes);

// Replaces the escapes \0 (one NUL; never octal), \\, \n, \r, \t and \xHH. On a stray backslash
// returns nullopt and describes it in *error.
std::optional<std::string> DecodeEscapes(std::string_view text, std::string* error);

// The bytes as a quoted JSON string of the code points 0 to 255 (each byte one character), so that
// encoding the decoded string as Latin-1 gives the bytes back.
std::string JsonString(std::string_view bytes);

// Printable ASCII as it is, every other byte as '.'.
std::string PrintableText(std::string_view bytes);

}  // namespace mirelo_send
