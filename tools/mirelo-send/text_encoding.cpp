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

}  // namespace

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
