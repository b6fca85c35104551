#include "store/euc_kr.h"

#include <algorithm>

namespace mirelo {

namespace {

// Below this many UTF-16 units a piece that failed as a whole is encoded one character at a time.
constexpr std::size_t kCharacterwiseUnits = 64;

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

bool IsAscii(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Appends the piece in EUC-KR and returns true when every character of it is in EUC-KR. The round trip
// catches both the '?' of a character the code page lacks and a "best fit" the platform substitutes.
bool TryEncode(std::u16string_view text, const TextCodec& codec, std::string& out) {
    if (IsAscii(text)) {
        out.append(text.begin(), text.end());
        return true;
    }
    std::string bytes = codec.Encode(text, CodePage::Korean);
    if (!IsEucKrForm(bytes) || codec.Decode(bytes, CodePage::Korean) != text) return false;
    out += bytes;
    return true;
}

void EncodeByCharacter(std::u16string_view text, const TextCodec& codec, std::string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // Nothing outside the Basic Multilingual Plane is in EUC-KR.
            const char32_t c = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
            i += 2;
            continue;
        }
        if (!TryEncode(text.substr(i, 1), codec, out)) out += "&#" + std::to_string(unit) + ";";
        ++i;
    }
}

// Halves a piece that failed as a whole, so that a long text with a few foreign characters costs a
// number of conversions that grows with the count of those characters, not with the text's length.
void EncodePiece(std::u16string_view text, const TextCodec& codec, std::string& out) {
    if (TryEncode(text, codec, out)) return;
    if (text.size() <= kCharacterwiseUnits) {
        EncodeByCharacter(text, codec, out);
        return;
    }
    std::size_t middle = text.size() / 2;
    if (IsLowSurrogate(text[middle])) ++middle;  // never split a surrogate pair
    EncodePiece(text.substr(0, middle), codec, out);
    EncodePiece(text.substr(middle), codec, out);
}

}  // namespace

bool IsEucKrForm(std::string_view bytes) {
    const auto inRange = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) continue;
        if (!inRange(lead) || i + 1 >= bytes.size() || !inRange(static_cast<unsigned char>(bytes[i + 1]))) return false;
        ++i;
    }
    return true;
}

std::string Utf8ToEucKrXml(std::string_view utf8, const TextCodec& codec) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    EncodePiece(Utf8ToUtf16(utf8), codec, out);
    return out;
}

std::string EucKrToUtf8(std::string_view bytes, const TextCodec& codec) {
    if (IsAscii(bytes)) return std::string(bytes);
    return Utf16ToUtf8(codec.Decode(bytes, CodePage::Korean));
}

std::string AnsiToUtf8(std::string_view ansi, const TextCodec& codec) {
    if (IsAscii(ansi)) return std::string(ansi);
    return Utf16ToUtf8(codec.Decode(ansi, CodePage::Ansi));
}

std::string Utf8ToAnsi(std::string_view utf8, const TextCodec& codec) {
    if (IsAscii(utf8)) return std::string(utf8);
    return codec.Encode(Utf8ToUtf16(utf8), CodePage::Ansi);
}

}  // namespace mirelo
