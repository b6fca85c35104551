#include "wire.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace vocelink {
namespace {

// Copies a text into a zero-filled field, leaving room for its NUL.
void PutText(std::uint8_t* field, int width, const char* text) {
    if (text == nullptr) {
        return;
    }
    std::size_t length = strnlen(text, static_cast<std::size_t>(width - 1));
    std::memcpy(field, text, length);
}

void PutNumber(std::uint8_t* field, int width, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    PutText(field, width, text);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::uint8_t HalveLevel(int level) {
    auto asSigned = static_cast<std::int8_t>(static_cast<std::uint8_t>(level & 0xFF));
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(asSigned / 2));
}

Header BuildRequestHeader(const RequestFields& fields) {
    Header header{};
    header[field::kType] = fields.type;
    PutText(&header[field::kLocation], kNameFieldWidth, fields.location);
    PutText(&header[field::kFileName], kNameFieldWidth, fields.fileName);
    PutNumber(&header[field::kTextLength], kNumberFieldWidth, fields.textLength);
    PutNumber(&header[field::kVoice], kVoiceFieldWidth, fields.voice);
    header[field::kFormat] = static_cast<std::uint8_t>(fields.format);
    if (fields.extension) {
        const Extension& ext = *fields.extension;
        header[field::kOption1] = static_cast<std::uint8_t>(ext.option1 & 0xFF);
        header[field::kOption2] = static_cast<std::uint8_t>(ext.option2 & 0xFF);
        header[field::kLevelA] = HalveLevel(ext.levelA);
        header[field::kLevelB] = HalveLevel(ext.levelB);
        header[field::kLevelC] = HalveLevel(ext.levelC);
    }
    header[field::kSingleReply] = fields.singleReply ? 1 : 0;
    return header;
}

Header BuildCloseHeader() {
    Header header{};
    PutNumber(&header[field::kTextLength], kNumberFieldWidth, -1);
    return header;
}

EffectHeader BuildEffectHeader(const EffectFields& fields) {
    EffectHeader header{};
    PutText(&header[effect_field::kLocation], kNameFieldWidth, fields.location);
    PutText(&header[effect_field::kFileName], kNameFieldWidth, fields.fileName);
    PutNumber(&header[effect_field::kTextLength], kNumberFieldWidth, fields.textLength);
    PutNumber(&header[effect_field::kVoice], kVoiceFieldWidth, fields.voice);
    PutNumber(&header[effect_field::kFormat], effect_field::kFormatWidth, fields.format);
    PutText(&header[effect_field::kEffectName], effect_field::kEffectNameWidth, fields.effectName);
    PutNumber(&header[effect_field::kEffectNumber], effect_field::kEffectNumberWidth, fields.effectNumber);
    return header;
}

std::string_view FieldText(const std::uint8_t* field, int width) {
    const char* text = reinterpret_cast<const char*>(field);
    return std::string_view(text, strnlen(text, static_cast<std::size_t>(width)));
}

std::optional<int> ParseDecimal(std::string_view text, bool allowSign) {
    bool negative = false;
    if (allowSign && !text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : text) {
        if (!IsDigit(c) || value > INT_MAX) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<Reply> ParseReply(const std::uint8_t* bytes) {
    Reply reply;
    reply.status = static_cast<std::int8_t>(bytes[reply_field::kStatus]);
    reply.lastPiece = bytes[reply_field::kLastPiece] == 1;
    const std::uint8_t* lengthField = &bytes[reply_field::kLength];
    std::string_view lengthText = FieldText(lengthField, kNumberFieldWidth);
    // Only NULs may follow the digits: anything else means the peer does not speak this protocol.
    for (std::size_t i = lengthText.size(); i < static_cast<std::size_t>(kNumberFieldWidth); ++i) {
        if (lengthField[i] != 0) {
            return std::nullopt;
        }
    }
    if (!lengthText.empty()) {
        std::optional<int> length = ParseDecimal(lengthText, false);
        if (!length) {
            return std::nullopt;
        }
        reply.dataLength = *length;
    }
    return reply;
}

ReplyBytes BuildReply(int status, int dataLength, bool lastPiece) {
    ReplyBytes reply{};
    reply[reply_field::kStatus] = static_cast<std::uint8_t>(status & 0xFF);
    if (dataLength > 0) {
        PutNumber(&reply[reply_field::kLength], kNumberFieldWidth, dataLength);
    }
    reply[reply_field::kLastPiece] = lastPiece ? 1 : 0;
    return reply;
}

int ParseStatusLine(std::string_view line) {
    constexpr std::size_t kNumberOffset = 6;
    if (line.size() < 3 || line[0] != '+' || (line[1] | 0x20) != 'o' || (line[2] | 0x20) != 'k') {
        return 0;
    }
    if (line.size() <= kNumberOffset) {
        return 0;
    }
    // Read as the C runtime's atoi reads it: white space and one sign may come first, the digits end
    // at the first other character, and a value past the int range saturates.
    std::string_view rest = line.substr(kNumberOffset);
    std::size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || (rest[i] >= '\t' && rest[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) {
        negative = rest[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < rest.size() && IsDigit(rest[i]); ++i) {
        value = std::min(value * 10 + (rest[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    return static_cast<int>(
        std::clamp(negative ? -value : value, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

}  // namespace vocelink
