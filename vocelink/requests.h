#pragma once

// The requests behind the exported functions, as plain C++ with the library's result codes.

#include <optional>

#include "socket.h"
#include "wire.h"

namespace vocelink {

constexpr int kMaxVoice = 400;
constexpr int kMaxFormat = 20;
// A larger announced piece is refused rather than allocated: no speech reply comes near it.
constexpr int kMaxPieceBytes = 256 * 1024 * 1024;

// What every speech request carries.
struct SpeechArgs {
    const char* address = nullptr;
    int port = 0;
    const char* text = nullptr;
    int textLength = 0;
    int voice = 0;
    int format = 0;
};

struct FileArgs {
    SpeechArgs speech;
    const char* location = nullptr;
    const char* fileName = nullptr;
    std::optional<Extension> extension;
};

struct BufferArgs {
    SpeechArgs speech;
    std::optional<Extension> extension;
    Socket* socketHolder = nullptr;
    bool firstRequest = false;
    bool singleReply = false;
};

struct BufferResult {
    char* data = nullptr;  // length + 1 bytes, NUL-terminated; owned by the caller
    int length = 0;
    int status = 0;  // 1 last piece, 0 more to come, or negative
};

struct EffectArgs {
    SpeechArgs speech;
    const char* location = nullptr;
    const char* fileName = nullptr;
    const char* effectName = nullptr;
    int effectNumber = 0;
};

int RequestFile(const FileArgs& args);
int RequestPlay(const SpeechArgs& args);
int RequestEffect(const EffectArgs& args);
BufferResult RequestBuffer(const BufferArgs& args);
int RequestStatus(const char* address, int port);
Socket OpenConnection(const char* address, int port, int timeoutSeconds);
int CloseConnection(Socket socket);

// Shared by the requests:

// Checks the arguments, then connects with the library's connect timeout. 0 with the connection in
// *socket, or the code of the first failure.
int CheckAndConnect(const SpeechArgs& args, Socket* socket);

// Sends the marker (when asked), the header and the text; true when every byte went.
bool SendRequest(Socket socket, bool marker, const std::uint8_t* header, int headerSize, const char* text,
                 int textLength);

// Receives one reply; nothing on a short receive or a malformed reply.
std::optional<Reply> ReceiveReply(Socket socket);

}  // namespace vocelink
