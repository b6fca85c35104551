#include "store/payload_text.h"

#include <algorithm>

namespace mirelo {

std::string ReadPayloadText(std::string_view bytes, int levelDigit, const TextCodec& codec) {
    if (levelDigit == 0 || bytes.empty()) return std::string(bytes);
    const std::u16string decoded = codec.Decode(bytes, CodePage::Utf8);
    std::string ansi = codec.Encode(decoded, CodePage::Ansi);
    if (levelDigit == 1) return ansi;
    const auto questionMarks = [](const std::u16string& text) { return std::count(text.begin(), text.end(), u'?'); };
    if (questionMarks(decoded) < questionMarks(codec.Decode(ansi, CodePage::Ansi))) return std::string(bytes);
    return ansi;
}

}  // namespace mirelo
