#pragma once

// Requests as the server reads them off the wire.

#include <cstdint>
#include <optional>
#include <string>

namespace vocelink_server {

enum class RequestKind { File, Buffer, Play, Close, Effect };

struct Request {
    RequestKind kind = RequestKind::Play;
    std::string location;
    std::string fileName;
    std::string effectName;
    int textLength = 0;
    int voice = 0;
    int format = 0;
    int effectNumber = 0;
    int option1 = 0;
    int option2 = 0;
    int levelA = 0;  // as sent: already halved, signed
    int levelB = 0;
    int levelC = 0;
    bool singleReply = false;
    std::string text;  // the raw text bytes
};

// Reads a 366-byte header. With the marker the type byte tells a file request from a buffer request;
// without it, a text length of -1 is the close request and anything else a play request. Nothing when
// a number field is malformed or the text length is negative outside a close request.
std::optional<Request> DecodeHeader(const std::uint8_t* header, bool marker);

// Reads a 365-byte effect header.
std::optional<Request> DecodeEffectHeader(const std::uint8_t* header);

// True when the first 365 bytes of a header without marker are an effect header: only the effect
// header has a text at offset 257, which the 366-byte header keeps reserved (zero).
bool LooksLikeEffectHeader(const std::uint8_t* header);

// One line for the log.
std::string Describe(const Request& request, const std::string& utf8Text);

}  // namespace vocelink_server
