#include "request.h"

#include <string_view>

#include "wire.h"

namespace vocelink_server {
namespace {

namespace wire = vocelink;

std::string Text(const std::uint8_t* header, int offset, int width) {
    return std::string(wire::FieldText(header + offset, width));
}

// An empty field reads as 0; anything but a decimal number gives nothing.
std::optional<int> Number(const std::uint8_t* header, int offset, int width) {
    std::string_view text = wire::FieldText(header + offset, width);
    return text.empty() ? 0 : wire::ParseDecimal(text, true);
}

// The log shows the start of a long text, cut between two UTF-8 characters.
std::string Shortened(const std::string& utf8Text) {
    constexpr std::size_t kShown = 120;
    if (utf8Text.size() <= kShown) {
        return utf8Text;
    }
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(utf8Text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return utf8Text.substr(0, cut) + "...";
}

int Signed(std::uint8_t byte) { return static_cast<std::int8_t>(byte); }

const char* KindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::File: return "file";
        case RequestKind::Buffer: return "buffer";
        case RequestKind::Play: return "play";
        case RequestKind::Close: return "close";
        case RequestKind::Effect: return "effect";
    }
    return "?";
}

}  // namespace

std::optional<Request> DecodeHeader(const std::uint8_t* header, bool marker) {
    namespace f = wire::field;
    std::optional<int> textLength = Number(header, f::kTextLength, wire::kNumberFieldWidth);
    std::optional<int> voice = Number(header, f::kVoice, wire::kVoiceFieldWidth);
    if (!textLength || !voice) {
        return std::nullopt;
    }
    Request request;
    request.textLength = *textLength;
    request.voice = *voice;
    if (marker) {
        request.kind = header[f::kType] == wire::kTypeBuffer ? RequestKind::Buffer : RequestKind::File;
    } else {
        request.kind = *textLength == -1 ? RequestKind::Close : RequestKind::Play;
    }
    if (request.kind != RequestKind::Close && request.textLength < 0) {
        return std::nullopt;
    }
    request.location = Text(header, f::kLocation, wire::kNameFieldWidth);
    request.fileName = Text(header, f::kFileName, wire::kNameFieldWidth);
    request.format = header[f::kFormat];
    request.option1 = header[f::kOption1];
    request.option2 = header[f::kOption2];
    request.levelA = Signed(header[f::kLevelA]);
    request.levelB = Signed(header[f::kLevelB]);
    request.levelC = Signed(header[f::kLevelC]);
    request.singleReply = header[f::kSingleReply] == 1;
    return request;
}

bool LooksLikeEffectHeader(const std::uint8_t* header) { return header[wire::effect_field::kTextLength] != 0; }

std::optional<Request> DecodeEffectHeader(const std::uint8_t* header) {
    namespace e = wire::effect_field;
    std::optional<int> textLength = Number(header, e::kTextLength, wire::kNumberFieldWidth);
    std::optional<int> voice = Number(header, e::kVoice, wire::kVoiceFieldWidth);
    std::optional<int> format = Number(header, e::kFormat, e::kFormatWidth);
    std::optional<int> effectNumber = Number(header, e::kEffectNumber, e::kEffectNumberWidth);
    if (!textLength || *textLength < 0 || !voice || !format || !effectNumber) {
        return std::nullopt;
    }
    Request request;
    request.kind = RequestKind::Effect;
    request.textLength = *textLength;
    request.voice = *voice;
    request.format = *format;
    request.effectNumber = *effectNumber;
    request.location = Text(header, e::kLocation, wire::kNameFieldWidth);
    request.fileName = Text(header, e::kFileName, wire::kNameFieldWidth);
    request.effectName = Text(header, e::kEffectName, e::kEffectNameWidth);
    return request;
}

std::string Describe(const Request& r, const std::string& utf8Text) {
    std::string line = std::string(KindName(r.kind)) + " request";
    if (r.kind == RequestKind::Close) {
        return line;
    }
    line += ": voice " + std::to_string(r.voice) + ", format " + std::to_string(r.format);
    if (r.kind == RequestKind::Buffer) {
        line += r.singleReply ? ", single reply" : ", pieces";
    }
    if (r.kind == RequestKind::File || r.kind == RequestKind::Effect) {
        line += ", location \"" + r.location + "\", file \"" + r.fileName + "\"";
    }
    if (r.kind == RequestKind::Effect) {
        line += ", effect \"" + r.effectName + "\" " + std::to_string(r.effectNumber);
    }
    if (r.option1 != 0 || r.option2 != 0 || r.levelA != 0 || r.levelB != 0 || r.levelC != 0) {
        line += ", options " + std::to_string(r.option1) + "/" + std::to_string(r.option2) + ", levels " +
                std::to_string(r.levelA) + "/" + std::to_string(r.levelB) + "/" + std::to_string(r.levelC);
    }
    line += ", text " + std::to_string(r.textLength) + " bytes \"" + Shortened(utf8Text) + "\"";
    return line;
}

}  // namespace vocelink_server
