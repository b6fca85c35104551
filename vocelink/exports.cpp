// The exported functions: argument packing around the requests, and a guard so that nothing thrown
// inside ever crosses into the host.

#include <cstdlib>

#include "requests.h"
#include "transport.h"
#include "vocelink.h"

using namespace vocelink;

namespace {

template <typename Result, typename Body>
Result Guarded(Result failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

SpeechArgs Speech(const char* address, int port, const char* text, int textLength, int voice, int format) {
    SpeechArgs args;
    args.address = address;
    args.port = port;
    args.text = text;
    args.textLength = textLength;
    args.voice = voice;
    args.format = format;
    return args;
}

Extension Extended(int option1, int levelA, int levelB, int levelC, int option2) {
    return Extension{option1, levelA, levelB, levelC, option2};
}

int FileRequest(FileArgs args, const char* location, const char* fileName) {
    args.location = location;
    args.fileName = fileName;
    return Guarded(VOCELINK_ERR_TRANSFER, [&] { return RequestFile(args); });
}

char* BufferRequest(BufferArgs args, int firstRequest, int singleReply, int* outDataLength, int* outStatus) {
    args.firstRequest = firstRequest == 1;
    args.singleReply = singleReply == 1;
    BufferResult result = Guarded(BufferResult{nullptr, 0, VOCELINK_ERR_TRANSFER}, [&] { return RequestBuffer(args); });
    if (outDataLength != nullptr) {
        *outDataLength = result.length;
    }
    if (outStatus != nullptr) {
        *outStatus = result.status;
    }
    return result.data;
}

}  // namespace

extern "C" {

int VOCELINK_CALL TTSRequestFile(const char* serverAddress, int port, const char* text, int textLength,
                                 const char* location, const char* fileName, int voice, int format) {
    FileArgs args;
    args.speech = Speech(serverAddress, port, text, textLength, voice, format);
    return FileRequest(args, location, fileName);
}

int VOCELINK_CALL TTSRequestFileEx(const char* serverAddress, int port, const char* text, int textLength,
                                   const char* location, const char* fileName, int voice, int format, int option1,
                                   int levelA, int levelB, int levelC, int option2) {
    FileArgs args;
    args.speech = Speech(serverAddress, port, text, textLength, voice, format);
    args.extension = Extended(option1, levelA, levelB, levelC, option2);
    return FileRequest(args, location, fileName);
}

char* VOCELINK_CALL TTSRequestBuffer(TTSSocket* socketHolder, const char* serverAddress, int port, const char* text,
                                     int textLength, int* outDataLength, int voice, int format, int firstRequest,
                                     int singleReply, int* outStatus) {
    BufferArgs args;
    args.speech = Speech(serverAddress, port, text, textLength, voice, format);
    args.socketHolder = socketHolder;
    return BufferRequest(args, firstRequest, singleReply, outDataLength, outStatus);
}

char* VOCELINK_CALL TTSRequestBufferEx(TTSSocket* socketHolder, const char* serverAddress, int port, const char* text,
                                       int textLength, int* outDataLength, int voice, int format, int option1,
                                       int levelA, int levelB, int levelC, int option2, int firstRequest,
                                       int singleReply, int* outStatus) {
    BufferArgs args;
    args.speech = Speech(serverAddress, port, text, textLength, voice, format);
    args.extension = Extended(option1, levelA, levelB, levelC, option2);
    args.socketHolder = socketHolder;
    return BufferRequest(args, firstRequest, singleReply, outDataLength, outStatus);
}

int VOCELINK_CALL TTSRequestPlay(const char* serverAddress, int port, const char* text, int textLength, int voice) {
    SpeechArgs args = Speech(serverAddress, port, text, textLength, voice, 0);
    return Guarded(VOCELINK_ERR_TRANSFER, [&] { return RequestPlay(args); });
}

int VOCELINK_CALL TTSRequestEffect(const char* serverAddress, int port, const char* text, int textLength,
                                   const char* location, const char* fileName, const char* effectName, int voice,
                                   int format, int effectNumber) {
    EffectArgs args;
    args.speech = Speech(serverAddress, port, text, textLength, voice, format);
    args.location = location;
    args.fileName = fileName;
    args.effectName = effectName;
    args.effectNumber = effectNumber;
    return Guarded(VOCELINK_ERR_TRANSFER, [&] { return RequestEffect(args); });
}

int VOCELINK_CALL TTSRequestStatus(const char* serverAddress, int port) {
    return Guarded(VOCELINK_ERR_TRANSFER, [&] { return RequestStatus(serverAddress, port); });
}

TTSSocket VOCELINK_CALL TTSOpen(const char* serverAddress, int port, int connectTimeoutSeconds) {
    return Guarded(kNoSocket, [&] { return OpenConnection(serverAddress, port, connectTimeoutSeconds); });
}

int VOCELINK_CALL TTSClose(TTSSocket socket) {
    return Guarded(-1, [&] { return CloseConnection(socket); });
}

int VOCELINK_CALL TTSSetTimeout(int connectTimeoutSeconds, int transferTimeoutSeconds) {
    SetTimeouts(connectTimeoutSeconds, transferTimeoutSeconds);
    return ConnectTimeoutSeconds();
}

int VOCELINK_CALL TTSBufferFree(void* data) {
    std::free(data);
    return 0;
}

}  // extern "C"
