#include "text_encoding.h"

#include <cstdio>

#include "core/code_page.h"
#include "core/code_page_posix.h"

namespace mirelo_send {

namespace {

std::string CodePoint(std::u16string_view units, std::size_t at) {
    char32_t point = units[at];
    if (point >= 0xD800 && point < 0xDC00 && at + 1 < units.size()) {
        point = 0x10000 + ((point - 0xD800) << 10) + (units[at + 1] - 0xDC00);
    }
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(point));
    return text;
}

// The length of the UTF-8 character at the text's start; 1 for a byte that starts none.
std::size_t CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

}  // namespace

std::size_t FittingPrefix(std::string_view utf8, std::size_t limit, const std::string& codePage) {
    const std::optional<mirelo::IconvCodec> codec =
        codePage.empty() ? std::nullopt : std::optional<mirelo::IconvCodec>(std::in_place, codePage);
    std::size_t at = 0;
    std::size_t sent = 0;
    while (at < utf8.size()) {
        const std::string_view character = utf8.substr(at, CharacterLength(utf8.substr(at)));
        const std::size_t size =
            codec ? codec->Encode(mirelo::Utf8ToUtf16(character), mirelo::CodePage::Ansi).size() : character.size();
        if (sent + size > limit) break;
        sent += size;
        at += character.size();
    }
    return at;
}

std::optional<std::string> EncodeExactly(std::string_view utf8, const std::string& codePage, EncodeFailure* failure) {
    const std::u16string units = mirelo::Utf8ToUtf16(utf8);
    if (mirelo::Utf16ToUtf8(units) != utf8) {
        failure->notUtf8 = true;
        return std::nullopt;
    }
    // The codec's ANSI code page is the one asked for.
    const mirelo::IconvCodec codec(codePage);
    std::string bytes = codec.Encode(units, mirelo::CodePage::Ansi);
    if (codec.Decode(bytes, mirelo::CodePage::Ansi) == units) return bytes;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (codec.Encode(units.substr(i, 1), mirelo::CodePage::Ansi) == "?" && units[i] != u'?') {
            failure->codePoint = CodePoint(units, i);
            break;
        }
    }
    return std::nullopt;
}

}  // namespace mirelo_send
