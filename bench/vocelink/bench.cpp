// vocelink-bench [--requests N] [--rounds N] [--port PORT]
//
// Sequential buffer requests (1 KB of text, 64 KB of audio in a single reply) against
// `vocelink-server --tone` on loopback: once through TTSRequestBuffer, once as a bare loop of blocking
// connect / send / receive / close of the same bytes. The two alternate in rounds so that both see the
// same machine; the rates and their ratio are printed. Without --port the server is started here.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "launcher.h"
#include "vocelink.h"
#include "wire.h"

namespace {

constexpr int kTextBytes = 1024;
constexpr int kAudioBytes = 64 * 1024;  // the whole WAV image, header included
constexpr int kWavHeaderBytes = 44;

using Clock = std::chrono::steady_clock;

struct Settings {
    int requests = 10000;  // per kind, over all rounds
    int rounds = 50;
    int port = 0;
};

bool ReadAll(int fd, void* bytes, std::size_t count) {
    auto* at = static_cast<char*>(bytes);
    while (count > 0) {
        ssize_t got = recv(fd, at, count, 0);
        if (got <= 0) {
            return false;
        }
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

// One request the plain way: blocking socket, one send, reply, audio, close.
bool BareRequest(const sockaddr_in& server, const std::vector<std::uint8_t>& request, std::vector<char>& audio) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0 &&
              send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
    vocelink::ReplyBytes reply{};
    ok = ok && ReadAll(fd, reply.data(), reply.size());
    std::optional<vocelink::Reply> parsed = ok ? vocelink::ParseReply(reply.data()) : std::nullopt;
    ok = parsed && parsed->dataLength == kAudioBytes && ReadAll(fd, audio.data(), kAudioBytes);
    close(fd);
    return ok;
}

bool LibraryRequest(int port, const std::string& text) {
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 0;
    int status = 0;
    char* data = TTSRequestBuffer(&holder, "127.0.0.1", port, text.data(), static_cast<int>(text.size()), &length, 10,
                                  1, 1, 1, &status);
    TTSBufferFree(data);
    return status == 1 && length == kAudioBytes;
}

bool ParseArgs(int argc, char** argv, Settings* settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (name == "--requests" && value > 0) {
            settings->requests = value;
        } else if (name == "--rounds" && value > 0) {
            settings->rounds = value;
        } else if (name == "--port" && value > 0) {
            settings->port = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

void Report(const char* name, int requests, double seconds) {
    double rate = requests / seconds;
    std::printf("%-10s %6d requests in %6.3f s: %8.1f requests/s, %7.1f MiB/s of audio\n", name, requests, seconds,
                rate, rate * kAudioBytes / (1024.0 * 1024.0));
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!ParseArgs(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: vocelink-bench [--requests N] [--rounds N] [--port PORT]\n");
        return 2;
    }
    std::optional<vocelink_server::ServerProcess> server;
    int port = settings.port;
    if (port == 0) {
        server.emplace(std::vector<std::string>{"--tone", "--tone-bytes", std::to_string(kAudioBytes - kWavHeaderBytes),
                                                "--quiet"});
        if (!server->Started()) {
            std::fprintf(stderr, "vocelink-bench: vocelink-server did not start\n%s", server->Log().c_str());
            return 1;
        }
        port = server->Port();
    }
    std::string text(kTextBytes, ' ');
    for (int i = 0; i < kTextBytes; ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    vocelink::RequestFields fields;
    fields.type = vocelink::kTypeBuffer;
    fields.textLength = kTextBytes;
    fields.voice = 10;
    fields.format = 1;
    fields.singleReply = true;
    vocelink::Header header = vocelink::BuildRequestHeader(fields);
    std::vector<std::uint8_t> request(1 + header.size() + text.size());
    request[0] = vocelink::kMarker;
    std::copy(header.begin(), header.end(), request.begin() + 1);
    std::copy(text.begin(), text.end(), request.begin() + 1 + static_cast<std::ptrdiff_t>(header.size()));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<char> audio(kAudioBytes);

    const int perRound = settings.requests / settings.rounds;
    double bareSeconds = 0;
    double librarySeconds = 0;
    int failures = 0;
    for (int round = 0; round < settings.rounds; ++round) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < perRound; ++i) {
            failures += BareRequest(address, request, audio) ? 0 : 1;
        }
        Clock::time_point middle = Clock::now();
        for (int i = 0; i < perRound; ++i) {
            failures += LibraryRequest(port, text) ? 0 : 1;
        }
        bareSeconds += std::chrono::duration<double>(middle - start).count();
        librarySeconds += std::chrono::duration<double>(Clock::now() - middle).count();
    }
    if (server) {
        server->Stop();
    }
    const int total = perRound * settings.rounds;
    std::printf("%d sequential buffer requests each way: %d bytes of text, %d bytes of audio\n", total, kTextBytes,
                kAudioBytes);
    Report("bare loop", total, bareSeconds);
    Report("vocelink", total, librarySeconds);
    double ratio = (total / librarySeconds) / (total / bareSeconds);
    std::printf("ratio (vocelink / bare loop): %.3f (target 0.8)\n", ratio);
    if (failures > 0) {
        std::printf("%d requests failed\n", failures);
        return 1;
    }
    return 0;
}
