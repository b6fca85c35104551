#include "bytes.h"

#include <algorithm>
#include <cstdint>

namespace mirelo_send {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x7f; }

}  // namespace

std::string ToHex(std::string_view bytes, std::string_view separator) {
    std::string hex;
    hex.reserve(bytes.size() * (2 + separator.size()));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) hex += separator;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0xf];
    }
    return hex;
}

std::optional<std::string> FromHex(std::string_view text) {
    std::string bytes;
    int high = -1;
    for (char c : text) {
        if (high < 0 && (c == ' ' || c == '\t' || c == ':' || c == '-')) continue;
        const int value = HexValue(c);
        if (value < 0) return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

std::string ToBase64(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= count ? kBase64Digits[(group >> (18 - 6 * k)) & 0x3f] : '=';
        }
    }
    return text;
}

std::optional<std::string> DecodeEscapes(std::string_view text, std::string* error) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        ++i;
        switch (next) {
            case '0': bytes += '\0'; break;
            case '\\': bytes += '\\'; break;
            case 'n': bytes += '\n'; break;
            case 'r': bytes += '\r'; break;
            case 't': bytes += '\t'; break;
            case 'x': {
                const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
                if (high < 0 || low < 0) {
                    *error = "\\x at offset " + std::to_string(i - 1) + " needs two hex digits";
                    return std::nullopt;
                }
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                *error = "unknown escape at offset " + std::to_string(i - 1) +
                         " (known: \\0 \\\\ \\n \\r \\t \\xHH; write \\\\ for a backslash)";
                return std::nullopt;
        }
    }
    return bytes;
}

std::string JsonString(std::string_view bytes) {
    std::string json = "\"";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (IsPrintable(byte)) {
            json += c;
        } else {
            json += "\\u00";
            json += kHexDigits[byte >> 4];
            json += kHexDigits[byte & 0xf];
        }
    }
    return json + "\"";
}

std::string PrintableText(std::string_view bytes) {
    std::string text(bytes);
    for (char& c : text) {
        if (!IsPrintable(static_cast<unsigned char>(c))) c = '.';
    }
    return text;
}

}  // namespace mirelo_send
