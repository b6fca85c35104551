// One connection: read requests, log them, answer them.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "request.h"
#include "server.h"
#include "wire.h"

namespace vocelink_server {
namespace {

namespace wire = vocelink;

// The status a request gets when its audio cannot be made; no library code uses it.
constexpr int kSynthesisFailed = -2;

struct Audio {
    bool ok = false;
    Bytes wav;
};

Audio MakeAudio(const Server& server, const Request& request) {
    if (server.Settings().tone) {
        return Audio{true, server.Tone()};
    }
    const Options& options = server.Settings();
    std::string text = ToUtf8(request.text, options.textEncoding);
    std::string voice = !options.voice.empty() ? options.voice : HasHangul(text) ? "ko" : "en";
    Speech speech = SpeakWithEspeak(server.EspeakPath(), voice, text);
    if (speech.ok) {
        server.Note("espeak-ng voice " + voice + ": " + std::to_string(speech.wav.size()) + " bytes");
    } else {
        Log("cannot synthesise: " + speech.error);
    }
    return Audio{speech.ok, std::move(speech.wav)};
}

bool SendReply(int fd, int status, const std::uint8_t* data, int length, bool last) {
    wire::ReplyBytes reply = wire::BuildReply(status, length, last);
    return WriteAll(fd, reply.data(), reply.size(), data, static_cast<std::size_t>(length));
}

bool AnswerBuffer(Server& server, int fd, const Request& request) {
    Audio audio = MakeAudio(server, request);
    server.Keep(request.text, audio.wav);
    if (!audio.ok) {
        return SendReply(fd, kSynthesisFailed, nullptr, 0, true);
    }
    const int total = static_cast<int>(audio.wav.size());
    const int piece = request.singleReply ? std::max(total, 1) : server.Settings().pieceBytes;
    int sent = 0;
    do {
        int length = std::min(piece, total - sent);
        bool last = sent + length == total;
        if (!SendReply(fd, 1, audio.wav.data() + sent, length, last)) {
            return false;
        }
        sent += length;
    } while (sent < total);
    server.Note("answered " + std::to_string(total) + " audio bytes" +
                (request.singleReply ? "" : " in pieces of " + std::to_string(piece)));
    return true;
}

// File and effect requests: the audio goes to a file in the output folder, under the request's file
// name without any folder part, so that a client cannot write elsewhere.
bool AnswerFile(Server& server, int fd, const Request& request) {
    Audio audio = MakeAudio(server, request);
    std::string name = request.fileName.substr(request.fileName.find_last_of("/\\") + 1);
    const std::string& dir = server.Settings().outputDir;
    int status = audio.ok ? 1 : kSynthesisFailed;
    if (audio.ok && !dir.empty()) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        bool written =
            name != "." && name != ".." && !name.empty() && out &&
            out.write(reinterpret_cast<const char*>(audio.wav.data()), static_cast<std::streamsize>(audio.wav.size()));
        server.Note(written ? "wrote " + dir + "/" + name : "cannot write \"" + name + "\" in " + dir);
        status = written ? 1 : kSynthesisFailed;
    }
    return SendReply(fd, status, nullptr, 0, true);
}

bool Answer(Server& server, int fd, const Request& request) {
    const Options& options = server.Settings();
    if (options.delayMs > 0 && !server.Sleep(std::chrono::milliseconds(options.delayMs))) {
        return false;
    }
    if (options.refusal) {
        server.Note("refused with status " + std::to_string(*options.refusal));
        return SendReply(fd, *options.refusal, nullptr, 0, true);
    }
    switch (request.kind) {
        case RequestKind::Buffer: return AnswerBuffer(server, fd, request);
        case RequestKind::File:
        case RequestKind::Effect: return AnswerFile(server, fd, request);
        case RequestKind::Play:
            // This server has no sound device of its own: the request is acknowledged.
            return SendReply(fd, 1, nullptr, 0, true);
        case RequestKind::Close: SendReply(fd, 1, nullptr, 0, true); return false;
    }
    return false;
}

// Reads a header whose first byte has been read already.
std::optional<Request> ReadHeader(int fd, std::uint8_t first) {
    wire::Header header{};
    bool marker = first == wire::kMarker;
    std::size_t have = 0;
    if (!marker) {
        header[0] = first;
        have = 1;
    }
    // Both headers without marker are at least 365 bytes long; the content tells which one it is.
    if (!ReadExact(fd, header.data() + have, wire::kEffectHeaderSize - have)) {
        return std::nullopt;
    }
    if (!marker && LooksLikeEffectHeader(header.data())) {
        return DecodeEffectHeader(header.data());
    }
    if (!ReadExact(fd, header.data() + wire::kEffectHeaderSize, wire::kHeaderSize - wire::kEffectHeaderSize)) {
        return std::nullopt;
    }
    return DecodeHeader(header.data(), marker);
}

std::string ReadLine(int fd, char first) {
    std::string line(1, first);
    char c = first;
    while (c != '\n' && line.size() < wire::kMaxStatusLine && ReadExact(fd, &c, 1)) {
        line.push_back(c);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// The status dialogue: "SMON" is answered with one line; "QUIT" ends the connection.
bool Converse(Server& server, int fd, char first) {
    std::string command = ReadLine(fd, first);
    std::string upper = command;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    server.Note("status dialogue: " + command);
    if (upper == "QUIT") {
        return false;
    }
    if (server.Settings().neverAnswer) {
        return true;
    }
    const auto& fixed = server.Settings().statusLine;
    std::string answer = upper != "SMON" ? "-ERR unknown command"
                         : fixed         ? *fixed
                                         : "+OK   " + std::to_string(server.Busy() - 1);
    answer += "\n";
    return WriteAll(fd, answer.data(), answer.size());
}

bool ServeOne(Server& server, int fd) {
    std::uint8_t first = 0;
    if (!ReadExact(fd, &first, 1)) {
        return false;
    }
    if (first != wire::kMarker && first != 0) {
        return Converse(server, fd, static_cast<char>(first));
    }
    std::optional<Request> request = ReadHeader(fd, first);
    if (!request) {
        Log("malformed request header; connection dropped");
        return false;
    }
    if (request->kind != RequestKind::Close) {
        request->text.resize(static_cast<std::size_t>(request->textLength));
        if (!ReadExact(fd, request->text.data(), request->text.size())) {
            Log("connection ended inside the text of a request");
            return false;
        }
    }
    server.Note(Describe(*request, ToUtf8(request->text, server.Settings().textEncoding)));
    return server.Settings().neverAnswer || Answer(server, fd, *request);
}

}  // namespace

void ServeConnection(Server& server, int fd) {
    while (!server.Stopping() && ServeOne(server, fd)) {
    }
    server.Closed(fd);
    close(fd);
}

}  // namespace vocelink_server
