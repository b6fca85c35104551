#pragma once

// Bytes on the wire between vocelink and a speech server: the request headers, the reply and the
// status line. Pure functions over byte arrays, shared by the library, the server and the tests.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vocelink {

constexpr int kHeaderSize = 366;
constexpr int kEffectHeaderSize = 365;
constexpr int kReplySize = 46;
constexpr std::uint8_t kMarker = 1;  // precedes the header of file and buffer requests only

constexpr int kNameFieldWidth = 128;   // location and file name, NUL included
constexpr int kNumberFieldWidth = 32;  // the decimal text fields of 32 bytes
constexpr int kVoiceFieldWidth = 4;
constexpr int kMaxStatusLine = 127;

constexpr std::uint8_t kTypeFile = 0;  // also play and close requests
constexpr std::uint8_t kTypeBuffer = 1;

// Offsets in the 366-byte request header.
namespace field {
constexpr int kType = 0;
constexpr int kLocation = 1;
constexpr int kFileName = 129;
constexpr int kTextLength = 289;
constexpr int kVoice = 321;
constexpr int kFormat = 325;
constexpr int kOption1 = 326;
constexpr int kOption2 = 328;
constexpr int kLevelA = 329;
constexpr int kLevelB = 330;
constexpr int kLevelC = 331;
constexpr int kSingleReply = 333;
}  // namespace field

// Offsets in the 365-byte effect header.
namespace effect_field {
constexpr int kLocation = 1;
constexpr int kFileName = 129;
constexpr int kTextLength = 257;
constexpr int kVoice = 289;
constexpr int kFormat = 293;
constexpr int kFormatWidth = 9;
constexpr int kEffectName = 302;
constexpr int kEffectNameWidth = 32;
constexpr int kEffectNumber = 334;
constexpr int kEffectNumberWidth = 31;
}  // namespace effect_field

// Offsets in the 46-byte reply.
namespace reply_field {
constexpr int kStatus = 0;
constexpr int kLength = 1;
constexpr int kLastPiece = 33;
}  // namespace reply_field

using Header = std::array<std::uint8_t, kHeaderSize>;
using EffectHeader = std::array<std::uint8_t, kEffectHeaderSize>;
using ReplyBytes = std::array<std::uint8_t, kReplySize>;

// The option bytes and levels of the extended requests.
struct Extension {
    int option1 = 0;
    int levelA = 0;
    int levelB = 0;
    int levelC = 0;
    int option2 = 0;
};

struct RequestFields {
    std::uint8_t type = kTypeFile;
    const char* location = nullptr;  // file requests only; may be null
    const char* fileName = nullptr;  // file requests only
    int textLength = 0;
    int voice = 0;
    int format = 0;
    std::optional<Extension> extension;
    bool singleReply = false;  // buffer requests only
};

struct EffectFields {
    const char* location = nullptr;
    const char* fileName = nullptr;
    const char* effectName = nullptr;
    int textLength = 0;
    int voice = 0;
    int format = 0;
    int effectNumber = 0;
};

struct Reply {
    int status = 0;      // the signed status byte
    int dataLength = 0;  // audio bytes that follow
    bool lastPiece = false;
};

Header BuildRequestHeader(const RequestFields& fields);

// All zero except the text length "-1".
Header BuildCloseHeader();

EffectHeader BuildEffectHeader(const EffectFields& fields);

// A level as sent: the low 8 bits read as a signed value, halved with rounding toward zero.
std::uint8_t HalveLevel(int level);

// Reads a reply. The length field must be decimal digits padded with NULs (an empty field is 0);
// anything else, or a number beyond the int range, gives nothing: the reply is malformed.
std::optional<Reply> ParseReply(const std::uint8_t* bytes);

ReplyBytes BuildReply(int status, int dataLength, bool lastPiece);

// The status dialogue's answer: the number at offset 6, converted as atoi does (leading white
// space and one sign allowed, saturating at the int range), when the line begins with "+OK" in any
// case, else 0.
int ParseStatusLine(std::string_view line);

// The text of a NUL-padded field: up to its first NUL, at most `width` bytes.
std::string_view FieldText(const std::uint8_t* field, int width);

// A whole field of decimal digits (an optional leading '-' when `allowSign`), within the int range.
std::optional<int> ParseDecimal(std::string_view text, bool allowSign);

}  // namespace vocelink
