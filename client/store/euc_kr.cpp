#include "store/euc_kr.h"

#include <algorithm>
#include <vector>

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
    // ASCII is the same in both encodings, and a store file is mostly ASCII: only the runs of other
    // characters go through the code page, gathered into one conversion and put back in their places.
    struct Run {
        std::size_t begin = 0;  // byte offsets in utf8
        std::size_t end = 0;
        std::size_t units = 0;  // UTF-16 units of the run
    };
    std::vector<Run> runs;
    std::u16string foreign;
    for (std::size_t i = 0; i < utf8.size();) {
        if ((static_cast<unsigned char>(utf8[i]) & 0x80) == 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0x80) != 0) ++end;
        const std::u16string units = Utf8ToUtf16(utf8.substr(i, end - i));
        runs.push_back({i, end, units.size()});
        foreign += units;
        i = end;
    }
    const std::string pairs = codec.Encode(foreign, CodePage::Korean);
    std::string out;
    if (pairs.size() == 2 * foreign.size() && IsEucKrForm(pairs) && codec.Decode(pairs, CodePage::Korean) == foreign) {
        out.reserve(utf8.size());
        std::size_t copied = 0;
        std::size_t pair = 0;
        for (const Run& run : runs) {
            out.append(utf8.substr(copied, run.begin - copied));
            out.append(pairs, 2 * pair, 2 * run.units);
            pair += run.units;
            copied = run.end;
        }
        out.append(utf8.substr(copied));
        return out;
    }
    // Some character is not in EUC-KR: the whole text is converted piece by piece.
    out.reserve(utf8.size());
    EncodePiece(Utf8ToUtf16(utf8), codec, out);
    return out;
}

std::string EucKrToUtf8(std::string_view bytes, const TextCodec& codec) {
    if (IsAscii(bytes)) return std::string(bytes);
    // As for encoding, only the byte pairs go through the code page, gathered into one conversion.
    // Each pair of valid code page 949 decodes to one UTF-16 unit; when the count shows otherwise (a
    // broken pair, a lone lead byte) the whole text is decoded at once instead.
    struct Run {
        std::size_t begin = 0;  // byte offsets in bytes
        std::size_t end = 0;
    };
    std::vector<Run> runs;
    std::string pairs;
    for (std::size_t i = 0; i < bytes.size();) {
        if ((static_cast<unsigned char>(bytes[i]) & 0x80) == 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) & 0x80) != 0) {
            end = std::min(end + 2, bytes.size());  // a lead byte and its trail byte, whatever that is
        }
        runs.push_back({i, end});
        pairs.append(bytes.substr(i, end - i));
        i = end;
    }
    const std::u16string units = codec.Decode(pairs, CodePage::Korean);
    if (pairs.size() % 2 != 0 || units.size() != pairs.size() / 2) {
        return Utf16ToUtf8(codec.Decode(bytes, CodePage::Korean));
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::size_t copied = 0;
    std::size_t unit = 0;
    for (const Run& run : runs) {
        out.append(bytes.substr(copied, run.begin - copied));
        const std::size_t count = (run.end - run.begin) / 2;
        out += Utf16ToUtf8(std::u16string_view(units).substr(unit, count));
        unit += count;
        copied = run.end;
    }
    out.append(bytes.substr(copied));
    return out;
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
