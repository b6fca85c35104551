// vocelink-wine-check ADDRESS PORT OUTPUT.wav TEXTFILE
//
// Loads vocelink.dll with LoadLibraryA, finds every export by its plain name and runs each against the
// speech server at ADDRESS:PORT: the text of TEXTFILE (raw bytes, sent as they are) is spoken into
// OUTPUT.wav with a single-reply buffer request, then again in pieces, and the other requests and the
// argument checks follow. One line per check; exit code 0 only when every check passed.

// Windows Sockets 2 must come before windows.h, which would pull in the old Windows Sockets 1 header.
#include <winsock2.h>

#include <windows.h>

#include "check_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vocelink.h"

namespace {

struct Api {
    decltype(&TTSOpen) open = nullptr;
    decltype(&TTSClose) close = nullptr;
    decltype(&TTSRequestFile) requestFile = nullptr;
    decltype(&TTSRequestFileEx) requestFileEx = nullptr;
    decltype(&TTSRequestBuffer) requestBuffer = nullptr;
    decltype(&TTSRequestBufferEx) requestBufferEx = nullptr;
    decltype(&TTSRequestPlay) requestPlay = nullptr;
    decltype(&TTSRequestEffect) requestEffect = nullptr;
    decltype(&TTSRequestStatus) requestStatus = nullptr;
    decltype(&TTSSetTimeout) setTimeout = nullptr;
    decltype(&TTSBufferFree) bufferFree = nullptr;
};

using check_report::Check;

template <typename Function>
void Find(HMODULE module, const char* name, Function* out) {
    *out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    Check(*out != nullptr, "GetProcAddress(\"%s\")", name);
}

bool LoadApi(HMODULE module, Api* api) {
    Find(module, "TTSOpen", &api->open);
    Find(module, "TTSClose", &api->close);
    Find(module, "TTSRequestFile", &api->requestFile);
    Find(module, "TTSRequestFileEx", &api->requestFileEx);
    Find(module, "TTSRequestBuffer", &api->requestBuffer);
    Find(module, "TTSRequestBufferEx", &api->requestBufferEx);
    Find(module, "TTSRequestPlay", &api->requestPlay);
    Find(module, "TTSRequestEffect", &api->requestEffect);
    Find(module, "TTSRequestStatus", &api->requestStatus);
    Find(module, "TTSSetTimeout", &api->setTimeout);
    Find(module, "TTSBufferFree", &api->bufferFree);
    return check_report::Failures() == 0;
}

bool ReadFileBytes(const char* path, std::string* bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes->append(buffer, got);
    }
    std::fclose(file);
    return true;
}

bool IsRiffWave(const char* data, int length) {
    return length > 44 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

// The whole audio in one reply, saved to `outPath`.
void SpeakIntoFile(const Api& api, const char* address, int port, const std::string& text, const char* outPath) {
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 0;
    int status = 0;
    char* data = api.requestBuffer(&holder, address, port, text.data(), static_cast<int>(text.size()), &length, 10, 1,
                                   1, 1, &status);
    bool wave = data != nullptr && IsRiffWave(data, length);
    Check(status == 1 && wave && holder == TTS_NO_SOCKET, "TTSRequestBuffer single reply: status %d, %d bytes%s",
          status, length, wave ? ", RIFF/WAVE" : "");
    std::FILE* out = std::fopen(outPath, "wb");
    bool saved = out != nullptr && data != nullptr && std::fwrite(data, 1, length, out) == static_cast<size_t>(length);
    if (out != nullptr) {
        std::fclose(out);
    }
    Check(saved, "saved %d bytes to %s", length, outPath);
    Check(api.bufferFree(data) == 0, "TTSBufferFree");
}

// The same text again in pieces over the connection in the socket holder.
void SpeakInPieces(const Api& api, const char* address, int port, const std::string& text) {
    TTSSocket holder = TTS_NO_SOCKET;
    int status = 0;
    int pieces = 0;
    std::vector<char> audio;
    int first = 1;
    do {
        int length = 0;
        char* data = api.requestBufferEx(&holder, address, port, text.data(), static_cast<int>(text.size()), &length,
                                         10, 1, 0, 0, 0, 0, 0, first, 0, &status);
        if (data != nullptr) {
            audio.insert(audio.end(), data, data + length);
        }
        api.bufferFree(data);
        first = 0;
        ++pieces;
    } while (status == 0 && pieces < 100000);
    bool wave = IsRiffWave(audio.data(), static_cast<int>(audio.size()));
    Check(status == 1 && wave && pieces > 1 && holder == TTS_NO_SOCKET,
          "TTSRequestBufferEx in pieces: status %d, %d pieces, %d bytes", status, pieces,
          static_cast<int>(audio.size()));
}

void OtherRequests(const Api& api, const char* address, int port) {
    int status = api.requestStatus(address, port);
    Check(status >= 0, "TTSRequestStatus: %d", status);
    int file = api.requestFile(address, port, "file", 4, "", "wine-check.wav", 10, 1);
    Check(file == 1, "TTSRequestFile: %d", file);
    int fileEx = api.requestFileEx(address, port, "file", 4, nullptr, "wine-check.wav", 10, 1, 1, 2, 3, 4, 5);
    Check(fileEx == 1, "TTSRequestFileEx: %d", fileEx);
    int play = api.requestPlay(address, port, "play", 4, 10);
    Check(play == 1, "TTSRequestPlay: %d", play);
    int effect = api.requestEffect(address, port, "effect", 6, nullptr, "effect.wav", "echo", 10, 1, 3);
    Check(effect == 1, "TTSRequestEffect: %d", effect);
    TTSSocket socket = api.open(address, port, 2);
    Check(socket != TTS_NO_SOCKET, "TTSOpen: %ld", static_cast<long>(socket));
    int closed = api.close(socket);
    Check(closed == 0, "TTSClose: %d", closed);
    Check(api.close(TTS_NO_SOCKET) == 0, "TTSClose(-1): 0");
}

void ArgumentChecks(const Api& api, const char* address, int port) {
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 5;
    int status = 0;
    char* data = api.requestBuffer(&holder, address, port, "x", -1, &length, 10, 1, 1, 1, &status);
    Check(data == nullptr && status == -6 && length == 0, "text length -1: status %d, length %d", status, length);
    api.requestBuffer(&holder, address, port, "x", 1, &length, 401, 1, 1, 1, &status);
    Check(status == -10, "voice 401: %d", status);
    int format = api.requestFile(address, port, "x", 1, nullptr, "a.wav", 10, 21);
    Check(format == -7, "format 21: %d", format);
    api.requestBuffer(&holder, "localhost", port, "x", 1, &length, 10, 1, 1, 1, &status);
    Check(status == -3, "host name instead of address: %d", status);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: vocelink-wine-check ADDRESS PORT OUTPUT.wav TEXTFILE\n");
        return 2;
    }
    const char* address = argv[1];
    int port = std::atoi(argv[2]);
    std::string text;
    if (!ReadFileBytes(argv[4], &text)) {
        std::fprintf(stderr, "cannot read %s\n", argv[4]);
        return 2;
    }
    // The library leaves Windows Sockets to its host.
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        std::fprintf(stderr, "WSAStartup failed\n");
        return 2;
    }
    HMODULE module = LoadLibraryA("vocelink.dll");
    Check(module != nullptr, "LoadLibraryA(\"vocelink.dll\")");
    Api api;
    if (module != nullptr && LoadApi(module, &api)) {
        int connectTimeout = api.setTimeout(5, 20);
        Check(connectTimeout == 5, "TTSSetTimeout(5, 20): %d", connectTimeout);
        SpeakIntoFile(api, address, port, text, argv[3]);
        SpeakInPieces(api, address, port, text);
        OtherRequests(api, address, port);
        ArgumentChecks(api, address, port);
    }
    if (module != nullptr) {
        FreeLibrary(module);
    }
    WSACleanup();
    std::printf("vocelink-wine-check: %s (%d failed)\n", check_report::Failures() == 0 ? "OK" : "FAILED",
                check_report::Failures());
    return check_report::Failures() == 0 ? 0 : 1;
}
