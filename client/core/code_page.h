#pragma once

#include <string>
#include <string_view>

namespace mirelo {

// The encodings the client converts between: the system's ANSI code page (949 on Korean
// systems), UTF-8 from the server, and code page 949 itself (the Korean files of the suite).
enum class CodePage { Ansi, Utf8, Korean };

// Text conversion through UTF-16, as the platform does it: bytes that are not valid in the source
// code page decode to U+FFFD, and characters the target code page lacks encode as '?'.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    virtual std::u16string Decode(std::string_view bytes, CodePage page) const = 0;
    virtual std::string Encode(std::u16string_view text, CodePage page) const = 0;
};

// UTF-8 from UTF-16 and back without any platform help (the store and logs use it).
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace mirelo
