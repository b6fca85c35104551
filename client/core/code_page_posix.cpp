#include "core/code_page_posix.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <vector>

namespace mirelo {

namespace {

// Opening a converter loads and sets up its tables, which costs far more than a short conversion:
// each thread keeps the converters it opened.
class Converters {
public:
    ~Converters() {
        for (const auto& entry : open_) iconv_close(entry.second);
    }
    iconv_t Get(const char* from, const char* to) {
        std::string key = std::string(from) + '>' + to;
        const auto found = open_.find(key);
        if (found != open_.end()) {
            iconv(found->second, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            return found->second;
        }
        iconv_t cd = iconv_open(to, from);
        if (cd != reinterpret_cast<iconv_t>(-1)) open_.emplace(std::move(key), cd);
        return cd;
    }

private:
    std::map<std::string, iconv_t> open_;
};

// glibc converts through an intermediate form: a call takes in as much input as its buffers hold
// before the step that meets an unconvertible character fails, so retrying over the whole rest after
// each one would cost the square of the length. The input goes in pieces of this many bytes.
constexpr std::size_t kPieceBytes = 256;
// A character cut at the end of a piece comes whole with this many bytes more.
constexpr std::size_t kLongestCharacter = 8;

// Converts with iconv, one character at a time past anything the target cannot take.
std::string Convert(const char* from, const char* to, std::string_view input, std::size_t unitSize,
                    std::string_view replacement) {
    thread_local Converters converters;
    iconv_t cd = converters.Get(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(replacement);
    std::string out;
    std::vector<char> buffer((kPieceBytes + kLongestCharacter) * 4 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t piece = kPieceBytes;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const bool last = piece >= inLeft;
        std::size_t pieceLeft = std::min(piece, inLeft);
        const std::size_t taken = pieceLeft;
        const std::size_t result = iconv(cd, &in, &pieceLeft, &outPtr, &outLeft);
        inLeft -= taken - pieceLeft;
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
            piece = kPieceBytes;
            continue;
        }
        if (errno == EINVAL && !last && piece == kPieceBytes) {
            piece = kPieceBytes + kLongestCharacter;  // the piece ended inside a character
            continue;
        }
        // EILSEQ, or EINVAL at the end of the input: replace one unit of input and go on.
        out.append(replacement);
        const std::size_t skip = std::min(unitSize, inLeft);
        in += skip;
        inLeft -= skip;
        piece = kPieceBytes;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

IconvCodec::IconvCodec(std::string ansiCodePage) : ansi_(std::move(ansiCodePage)) {}

const char* IconvCodec::Name(CodePage page) const {
    switch (page) {
        case CodePage::Utf8: return "UTF-8";
        case CodePage::Korean: return "CP949";
        case CodePage::Ansi: break;
    }
    return ansi_.c_str();
}

std::u16string IconvCodec::Decode(std::string_view bytes, CodePage page) const {
    if (page == CodePage::Utf8) return Utf8ToUtf16(bytes);
    const std::string replacement("\xFD\xFF", 2);  // U+FFFD, little endian
    const std::string units = Convert(Name(page), "UTF-16LE", bytes, 1, replacement);
    std::u16string out(units.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(units[2 * i]) |
                                       (static_cast<unsigned char>(units[2 * i + 1]) << 8));
    }
    return out;
}

std::string IconvCodec::Encode(std::u16string_view text, CodePage page) const {
    if (page == CodePage::Utf8) return Utf16ToUtf8(text);
    std::string units(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        units[2 * i] = static_cast<char>(text[i] & 0xFF);
        units[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return Convert("UTF-16LE", Name(page), units, 2, "?");
}

}  // namespace mirelo
