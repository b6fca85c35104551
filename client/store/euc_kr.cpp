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

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Characters outside ASCII in EUC-KR: each one a pair of bytes or, where EUC-KR lacks it, a character
// reference. ends[i] is where the output of UTF-16 unit i ends (both units of a surrogate pair end
// where its reference does).
struct Encoded {
    std::string bytes;
    std::vector<std::size_t> ends;
};

void AppendReference(char32_t c, std::size_t units, Encoded& out) {
    out.bytes += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
    out.ends.insert(out.ends.end(), units, out.bytes.size());
}

// Appends the piece and returns true when every character of it is an EUC-KR pair. The round trip
// catches both the '?' of a character the code page lacks and a "best fit" the platform substitutes.
bool TryPairs(std::u16string_view text, const TextCodec& codec, Encoded& out) {
    const std::string bytes = codec.Encode(text, CodePage::Korean);
    if (bytes.size() != 2 * text.size() || !IsEucKrForm(bytes) || codec.Decode(bytes, CodePage::Korean) != text) {
        return false;
    }
    for (std::size_t i = 1; i <= text.size(); ++i) out.ends.push_back(out.bytes.size() + 2 * i);
    out.bytes += bytes;
    return true;
}

void EncodeByCharacter(std::u16string_view text, const TextCodec& codec, Encoded& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            // Nothing outside the Basic Multilingual Plane is in EUC-KR.
            AppendReference(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), 2, out);
            i += 2;
            continue;
        }
        if (!TryPairs(text.substr(i, 1), codec, out)) AppendReference(unit, 1, out);
        ++i;
    }
}

// Halves a piece that failed as a whole, so that a long text with a few foreign characters costs a
// number of conversions that grows with the count of those characters, not with the text's length.
void EncodePiece(std::u16string_view text, const TextCodec& codec, Encoded& out) {
    if (TryPairs(text, codec, out)) return;
    if (text.size() <= kCharacterwiseUnits) {
        EncodeByCharacter(text, codec, out);
        return;
    }
    std::size_t middle = text.size() / 2;
    if (IsLowSurrogate(text[middle])) ++middle;  // never split a surrogate pair
    EncodePiece(text.substr(0, middle), codec, out);
    EncodePiece(text.substr(middle), codec, out);
}

// ASCII is the same in UTF-8, EUC-KR and code page 949, and a store file is mostly ASCII: only the
// runs of other bytes go through the code page, gathered into one conversion and put back in their
// places.
struct Run {
    std::size_t begin = 0;  // byte offsets
    std::size_t end = 0;
};

// The maximal runs of bytes outside ASCII. A byte outside ASCII takes `step` bytes with it: 1 for
// UTF-8, 2 for code page 949, whose trail byte may be an ASCII letter.
std::vector<Run> ForeignRuns(std::string_view text, std::size_t step) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < text.size();) {
        if ((static_cast<unsigned char>(text[i]) & 0x80) == 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0x80) != 0) {
            end = std::min(end + step, text.size());
        }
        runs.push_back({i, end});
        i = end;
    }
    return runs;
}

// The text with every run replaced by what `append` writes for it (given the run's index).
template <typename Append>
std::string Interleave(std::string_view text, const std::vector<Run>& runs, Append append) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    std::size_t copied = 0;
    for (std::size_t index = 0; index < runs.size(); ++index) {
        out.append(text.substr(copied, runs[index].begin - copied));
        append(index, out);
        copied = runs[index].end;
    }
    out.append(text.substr(copied));
    return out;
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
    const std::vector<Run> runs = ForeignRuns(utf8, 1);
    std::u16string foreign;
    std::vector<std::size_t> runEnds;  // where each run's units end in foreign
    for (const Run& run : runs) {
        foreign += Utf8ToUtf16(utf8.substr(run.begin, run.end - run.begin));
        runEnds.push_back(foreign.size());
    }
    Encoded encoded;
    encoded.ends.reserve(foreign.size());
    EncodePiece(foreign, codec, encoded);
    return Interleave(utf8, runs, [&](std::size_t index, std::string& out) {
        const std::size_t begin = index == 0 ? 0 : encoded.ends[runEnds[index - 1] - 1];
        const std::size_t end = encoded.ends[runEnds[index] - 1];
        out.append(encoded.bytes, begin, end - begin);
    });
}

std::string EucKrToUtf8(std::string_view bytes, const TextCodec& codec) {
    if (IsAscii(bytes)) return std::string(bytes);
    // Each pair of valid code page 949 decodes to one UTF-16 unit; when the count shows otherwise (a
    // broken pair, a lone lead byte) the whole text is decoded at once instead.
    const std::vector<Run> runs = ForeignRuns(bytes, 2);
    std::string pairs;
    for (const Run& run : runs) pairs.append(bytes.substr(run.begin, run.end - run.begin));
    const std::u16string units = codec.Decode(pairs, CodePage::Korean);
    if (pairs.size() % 2 != 0 || units.size() != pairs.size() / 2) {
        return Utf16ToUtf8(codec.Decode(bytes, CodePage::Korean));
    }
    std::size_t unit = 0;
    return Interleave(bytes, runs, [&](std::size_t index, std::string& out) {
        const std::size_t count = (runs[index].end - runs[index].begin) / 2;
        out += Utf16ToUtf8(std::u16string_view(units).substr(unit, count));
        unit += count;
    });
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
