#include <iconv.h>

#include <cerrno>

#include "audio.h"

namespace vocelink_server {
namespace {

// Decodes one UTF-8 sequence at `at`; returns its length, or 0 when the bytes are not UTF-8.
int DecodeUtf8(std::string_view text, std::size_t at, char32_t* codePoint) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8 either; rejecting them keeps
    // more code-page text from passing for UTF-8 by chance.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *codePoint = value;
    return length;
}

// Calls visit(codePoint) for each character until it returns true. False when the bytes are not UTF-8.
template <typename Visit>
bool ScanUtf8(std::string_view text, Visit visit) {
    char32_t c = 0;
    for (std::size_t at = 0; at < text.size();) {
        int length = DecodeUtf8(text, at, &c);
        if (length == 0) {
            return false;
        }
        if (visit(c)) {
            return true;
        }
        at += static_cast<std::size_t>(length);
    }
    return true;
}

bool IsUtf8(std::string_view text) {
    return ScanUtf8(text, [](char32_t) { return false; });
}

}  // namespace

std::string ToUtf8(std::string_view text, const std::string& encoding) {
    if (IsUtf8(text)) {
        return std::string(text);
    }
    iconv_t converter = iconv_open("UTF-8", encoding.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(text);
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outAt = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = iconv(converter, &in, &inLeft, &outAt, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outAt - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A byte that does not belong to the encoding: mark it and go on.
            out.push_back('?');
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return out;
}

bool HasHangul(std::string_view utf8Text) {
    bool found = false;
    ScanUtf8(utf8Text, [&found](char32_t c) {
        found = (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F);
        return found;
    });
    return found;
}

}  // namespace vocelink_server
