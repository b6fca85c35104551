#include "requests.h"

#include <cstring>
#include <string_view>

#include "transport.h"

namespace vocelink {
namespace {

// Requests up to this size go out in one send: a header and a separate small text would otherwise
// leave the server waiting on the peer's delayed acknowledgement.
constexpr int kCoalesceBytes = 4096;

constexpr char kStatusQuery[] = "SMON\n";
constexpr char kStatusQuit[] = "QUIT\n";
constexpr int kDialogueLineLength = 5;

bool IsValidFileName(const char* fileName) {
    return fileName != nullptr && strnlen(fileName, kNameFieldWidth) < static_cast<std::size_t>(kNameFieldWidth);
}

// Sends a request, reads its reply and closes the connection. The status byte; nothing when the
// transfer failed (a status byte may carry any value, the transfer failure's code too).
std::optional<int> ExchangeOnce(Socket socket, bool marker, const std::uint8_t* header, int headerSize,
                                const SpeechArgs& args) {
    std::optional<Reply> reply;
    if (SendRequest(socket, marker, header, headerSize, args.text, args.textLength)) {
        reply = ReceiveReply(socket);
    }
    CloseSocket(socket);
    if (!reply) {
        return std::nullopt;
    }
    return reply->status;
}

// Reads the status line byte by byte up to its newline; the line ends at the limit or when the peer
// stops sending. Returns the number of bytes read.
int ReceiveStatusLine(Socket socket, char* line) {
    int length = 0;
    while (length < kMaxStatusLine) {
        char c = 0;
        if (ReceiveExact(socket, &c, 1) != 1) {
            break;
        }
        line[length++] = c;
        if (c == '\n') {
            break;
        }
    }
    return length;
}

// 0, or the code of the first failing check in the order address, text, voice, format.
int CheckArguments(const SpeechArgs& args) {
    if (args.address == nullptr || args.address[0] == '\0') {
        return VOCELINK_ERR_ADDRESS;
    }
    if (args.text == nullptr || args.textLength < 0) {
        return VOCELINK_ERR_TEXT;
    }
    if (args.voice < 0 || args.voice > kMaxVoice) {
        return VOCELINK_ERR_VOICE;
    }
    if (args.format < 0 || args.format > kMaxFormat) {
        return VOCELINK_ERR_FORMAT;
    }
    return 0;
}

}  // namespace

int CheckAndConnect(const SpeechArgs& args, Socket* socket) {
    if (int code = CheckArguments(args)) {
        return code;
    }
    *socket = Connect(args.address, args.port, ConnectTimeoutSeconds());
    return *socket == kNoSocket ? VOCELINK_ERR_CONNECT : 0;
}

bool SendRequest(Socket socket, bool marker, const std::uint8_t* header, int headerSize, const char* text,
                 int textLength) {
    std::uint8_t buffer[kCoalesceBytes];
    int prefix = marker ? 1 : 0;
    int headLength = prefix + headerSize;
    bool together = headLength + textLength <= kCoalesceBytes;
    buffer[0] = kMarker;
    std::memcpy(buffer + prefix, header, static_cast<std::size_t>(headerSize));
    if (together && textLength > 0) {
        std::memcpy(buffer + headLength, text, static_cast<std::size_t>(textLength));
    }
    int first = together ? headLength + textLength : headLength;
    if (SendExact(socket, buffer, first) != first) {
        return false;
    }
    return together || SendExact(socket, text, textLength) == textLength;
}

std::optional<Reply> ReceiveReply(Socket socket) {
    ReplyBytes bytes{};
    if (ReceiveExact(socket, bytes.data(), kReplySize) != kReplySize) {
        return std::nullopt;
    }
    return ParseReply(bytes.data());
}

int RequestFile(const FileArgs& args) {
    Socket socket = kNoSocket;
    if (int code = CheckAndConnect(args.speech, &socket)) {
        return code;
    }
    if (!IsValidFileName(args.fileName)) {
        CloseSocket(socket);
        return VOCELINK_ERR_FILE_NAME;
    }
    RequestFields fields;
    fields.type = kTypeFile;
    fields.location = args.location;
    fields.fileName = args.fileName;
    fields.textLength = args.speech.textLength;
    fields.voice = args.speech.voice;
    fields.format = args.speech.format;
    fields.extension = args.extension;
    Header header = BuildRequestHeader(fields);
    return ExchangeOnce(socket, true, header.data(), kHeaderSize, args.speech).value_or(VOCELINK_ERR_TRANSFER);
}

int RequestPlay(const SpeechArgs& args) {
    SpeechArgs play = args;
    play.format = 0;
    Socket socket = kNoSocket;
    if (int code = CheckAndConnect(play, &socket)) {
        return code;
    }
    RequestFields fields;
    fields.textLength = play.textLength;
    fields.voice = play.voice;
    Header header = BuildRequestHeader(fields);
    return ExchangeOnce(socket, false, header.data(), kHeaderSize, play).value_or(VOCELINK_ERR_TRANSFER);
}

int RequestEffect(const EffectArgs& args) {
    Socket socket = kNoSocket;
    if (int code = CheckAndConnect(args.speech, &socket)) {
        return code;
    }
    if (args.fileName == nullptr) {
        CloseSocket(socket);
        return VOCELINK_ERR_FILE_NAME;
    }
    EffectFields fields;
    fields.location = args.location;
    fields.fileName = args.fileName;
    fields.effectName = args.effectName;
    fields.textLength = args.speech.textLength;
    fields.voice = args.speech.voice;
    fields.format = args.speech.format;
    fields.effectNumber = args.effectNumber;
    EffectHeader header = BuildEffectHeader(fields);
    std::optional<int> status = ExchangeOnce(socket, false, header.data(), kEffectHeaderSize, args.speech);
    if (!status) {
        return VOCELINK_ERR_TRANSFER;
    }
    return *status == 1 ? 1 : VOCELINK_ERR_EFFECT;
}

int RequestStatus(const char* address, int port) {
    if (address == nullptr || address[0] == '\0') {
        return VOCELINK_ERR_ADDRESS;
    }
    Socket socket = Connect(address, port, ConnectTimeoutSeconds());
    if (socket == kNoSocket) {
        return VOCELINK_ERR_CONNECT;
    }
    char line[kMaxStatusLine + 1] = {};
    int length = 0;
    bool ok = SendExact(socket, kStatusQuery, kDialogueLineLength) == kDialogueLineLength;
    if (ok) {
        length = ReceiveStatusLine(socket, line);
        ok = length > 0;
    }
    ok = ok && SendExact(socket, kStatusQuit, kDialogueLineLength) == kDialogueLineLength;
    CloseSocket(socket);
    return ok ? ParseStatusLine(std::string_view(line, static_cast<std::size_t>(length))) : VOCELINK_ERR_TRANSFER;
}

Socket OpenConnection(const char* address, int port, int timeoutSeconds) {
    // The caller's own timeout: 0 takes only a connection made at once; a negative wait means nothing.
    if (address == nullptr || address[0] == '\0' || timeoutSeconds < 0) {
        return kNoSocket;
    }
    return Connect(address, port, timeoutSeconds);
}

int CloseConnection(Socket socket) {
    if (socket == kNoSocket) {
        return 0;
    }
    Header header = BuildCloseHeader();
    if (SendExact(socket, header.data(), kHeaderSize) == kHeaderSize) {
        ReceiveReply(socket);
    }
    return CloseSocket(socket);
}

}  // namespace vocelink
