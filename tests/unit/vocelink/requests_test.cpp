// Argument checks and the exact bytes each export puts on the wire, against a scripted server.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>

#include "fake_server.h"
#include "test_support.h"
#include "wire.h"

using namespace vocelink_test;

namespace {

// Records everything a client sends on each connection and answers a fixed reply after `expect` bytes.
class Recorder {
public:
    Recorder(std::size_t expect, Bytes answer)
        : server_([this, expect, answer](int fd) {
              Bytes got = ReadBytes(fd, expect);
              if (!answer.empty()) {
                  WriteBytes(fd, answer);
              }
              std::size_t more = 0;
              bool closed = ReadUntilClosed(fd, &more);
              std::lock_guard<std::mutex> lock(mutex_);
              received_ = got;
              extra_ = more;
              closedByClient_ = closed;
          }) {}

    int Port() const { return server_.Port(); }
    int Accepted() const { return server_.Accepted(); }
    Bytes Received() {
        server_.Finish();
        return received_;
    }
    std::size_t Extra() {
        server_.Finish();
        return extra_;
    }
    bool ClosedByClient() {
        server_.Finish();
        return closedByClient_;
    }

private:
    std::mutex mutex_;
    Bytes received_;
    std::size_t extra_ = 0;
    bool closedByClient_ = false;
    FakeServer server_;
};

Bytes ReplyBytes(int status, int length, bool last) {
    vocelink::ReplyBytes reply = vocelink::BuildReply(status, length, last);
    return Bytes(reply.begin(), reply.end());
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(Requests, TextLengthMinusOneGivesMinus6AndLengthZeroWithoutConnecting) {
    Recorder server(1, {});
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 77;
    int status = 77;
    EXPECT_EQ(TTSRequestBuffer(&holder, kLoopback, server.Port(), "abc", -1, &length, 10, 1, 1, 1, &status), nullptr);
    EXPECT_EQ(status, VOCELINK_ERR_TEXT);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
    EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), nullptr, 0, nullptr, "a", 1, 1), VOCELINK_ERR_TEXT);
    server.Received();
    EXPECT_EQ(server.Accepted(), 0);
}

TEST(Requests, VoiceAndFormatOutOfRangeFailBeforeConnecting) {
    Recorder server(1, {});
    int port = server.Port();
    EXPECT_EQ(RequestPiece(nullptr, port, "x", 1, 1, 401, 1).status, VOCELINK_ERR_VOICE);
    EXPECT_EQ(RequestPiece(nullptr, port, "x", 1, 1, -1, 1).status, VOCELINK_ERR_VOICE);
    EXPECT_EQ(RequestPiece(nullptr, port, "x", 1, 1, 10, 21).status, VOCELINK_ERR_FORMAT);
    EXPECT_EQ(TTSRequestFile(kLoopback, port, "x", 1, nullptr, "a", 401, 1), VOCELINK_ERR_VOICE);
    EXPECT_EQ(TTSRequestFile(kLoopback, port, "x", 1, nullptr, "a", 400, 21), VOCELINK_ERR_FORMAT);
    EXPECT_EQ(TTSRequestEffect(kLoopback, port, "x", 1, nullptr, "a", nullptr, 1, 21, 0), VOCELINK_ERR_FORMAT);
    EXPECT_EQ(TTSRequestPlay(kLoopback, port, "x", 1, 401), VOCELINK_ERR_VOICE);
    server.Received();
    EXPECT_EQ(server.Accepted(), 0);
}

TEST(Requests, ChecksComeInTheStatedOrder) {
    int port = UnusedPort();
    // Address before text, text before voice, voice before format, format before connecting.
    EXPECT_EQ(TTSRequestFile("", port, nullptr, -1, nullptr, nullptr, 999, 99), VOCELINK_ERR_ADDRESS);
    EXPECT_EQ(TTSRequestFile(nullptr, port, "x", 1, nullptr, nullptr, 1, 1), VOCELINK_ERR_ADDRESS);
    EXPECT_EQ(TTSRequestFile(kLoopback, port, nullptr, 1, nullptr, nullptr, 999, 99), VOCELINK_ERR_TEXT);
    EXPECT_EQ(TTSRequestFile(kLoopback, port, "x", 1, nullptr, nullptr, 999, 99), VOCELINK_ERR_VOICE);
    EXPECT_EQ(TTSRequestFile(kLoopback, port, "x", 1, nullptr, nullptr, 1, 99), VOCELINK_ERR_FORMAT);
    // Connection before file name: nobody listens on the port.
    EXPECT_EQ(TTSRequestFile(kLoopback, port, "x", 1, nullptr, nullptr, 1, 1), VOCELINK_ERR_CONNECT);
    EXPECT_EQ(TTSRequestStatus("", port), VOCELINK_ERR_ADDRESS);
    EXPECT_EQ(TTSRequestStatus(kLoopback, port), VOCELINK_ERR_CONNECT);
    EXPECT_EQ(TTSOpen(nullptr, port, 1), TTS_NO_SOCKET);
    EXPECT_EQ(TTSOpen(kLoopback, port, 1), TTS_NO_SOCKET);
    EXPECT_EQ(RequestPiece(nullptr, port, "x", 1, 1).status, VOCELINK_ERR_CONNECT);
}

TEST(Requests, FileNameOf128CharactersGivesMinus8AfterConnectingAndClosesTheConnection) {
    Recorder server(1, {});
    std::string name(128, 'n');
    EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), "x", 1, nullptr, name.c_str(), 1, 1), VOCELINK_ERR_FILE_NAME);
    EXPECT_EQ(TTSRequestFileEx(kLoopback, server.Port(), "x", 1, nullptr, nullptr, 1, 1, 0, 0, 0, 0, 0),
              VOCELINK_ERR_FILE_NAME);
    EXPECT_TRUE(server.Received().empty());
    EXPECT_EQ(server.Accepted(), 2);
    EXPECT_TRUE(server.ClosedByClient());
}

TEST(Requests, FileRequestSendsMarkerHeaderAndExactlyTheTextBytes) {
    const std::string name(127, 'f');
    Recorder server(1 + 366 + 8, ReplyBytes(5, 0, true));
    EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), "speak\0me!", 8, "where", name.c_str(), 3, 2), 5);
    Bytes got = server.Received();
    ASSERT_EQ(got.size(), 1u + 366 + 8);
    EXPECT_EQ(got[0], 1);
    vocelink::RequestFields fields;
    fields.location = "where";
    fields.fileName = name.c_str();
    fields.textLength = 8;
    fields.voice = 3;
    fields.format = 2;
    vocelink::Header expected = vocelink::BuildRequestHeader(fields);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin() + 1));
    EXPECT_EQ(std::string(got.begin() + 367, got.end()), std::string("speak\0me", 8));
    EXPECT_EQ(server.Extra(), 0u);
}

TEST(Requests, PlayAndCloseSendNoMarker) {
    Recorder play(366 + 4, ReplyBytes(1, 0, true));
    EXPECT_EQ(TTSRequestPlay(kLoopback, play.Port(), "abcd", 4, 9), 1);
    Bytes got = play.Received();
    ASSERT_EQ(got.size(), 370u);
    vocelink::RequestFields fields;
    fields.textLength = 4;
    fields.voice = 9;
    vocelink::Header expected = vocelink::BuildRequestHeader(fields);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()));

    Recorder closing(366, ReplyBytes(1, 0, true));
    TTSSocket socket = TTSOpen(kLoopback, closing.Port(), 1);
    ASSERT_NE(socket, TTS_NO_SOCKET);
    EXPECT_EQ(TTSClose(socket), 0);
    vocelink::Header close = vocelink::BuildCloseHeader();
    EXPECT_EQ(closing.Received(), Bytes(close.begin(), close.end()));
    EXPECT_TRUE(closing.ClosedByClient());
}

TEST(Requests, EffectSendsItsOwnHeaderAndAcceptsOnlyStatusOne) {
    Recorder accepted(365 + 2, ReplyBytes(1, 0, true));
    EXPECT_EQ(TTSRequestEffect(kLoopback, accepted.Port(), "fx", 2, "l", "f.wav", "reverb", 7, 3, 12), 1);
    Bytes got = accepted.Received();
    ASSERT_EQ(got.size(), 367u);
    vocelink::EffectFields fields{"l", "f.wav", "reverb", 2, 7, 3, 12};
    vocelink::EffectHeader expected = vocelink::BuildEffectHeader(fields);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()));

    Recorder declined(365 + 2, ReplyBytes(2, 0, true));
    EXPECT_EQ(TTSRequestEffect(kLoopback, declined.Port(), "fx", 2, "l", "f.wav", "reverb", 7, 3, 12),
              VOCELINK_ERR_EFFECT);
}

TEST(Requests, ContinuedBufferCallSendsNothing) {
    Bytes answer = Concat(Concat(ReplyBytes(1, 3, false), {'a', 'b', 'c'}), Concat(ReplyBytes(1, 2, true), {'d', 'e'}));
    Recorder server(1 + 366 + 4, answer);
    TTSSocket holder = TTS_NO_SOCKET;
    Piece first = RequestPiece(&holder, server.Port(), "text", 1, 0);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.data, std::vector<char>({'a', 'b', 'c'}));
    EXPECT_NE(holder, TTS_NO_SOCKET);
    Piece second = RequestPiece(&holder, server.Port(), "ignored", 0, 0);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.data, std::vector<char>({'d', 'e'}));
    EXPECT_TRUE(second.nulTerminated);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
    Bytes got = server.Received();
    ASSERT_EQ(got.size(), 371u);
    EXPECT_EQ(got[1 + 333], 0);  // several pieces allowed
    EXPECT_EQ(server.Extra(), 0u);
    EXPECT_TRUE(server.ClosedByClient());
    EXPECT_EQ(server.Accepted(), 1);
}

TEST(Requests, ZeroLengthLastPieceFinishesWithoutData) {
    Recorder server(1 + 366, ReplyBytes(1, 0, true));
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, server.Port(), "", 1, 1);
    EXPECT_FALSE(piece.gotData);
    EXPECT_EQ(piece.length, 0);
    EXPECT_EQ(piece.status, 1);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
}

TEST(Requests, ContinuedCallWithoutConnectionIsATransferFailure) {
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, UnusedPort(), "x", 0, 0);
    EXPECT_EQ(piece.status, VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(piece.length, 0);
}

TEST(Requests, StatusDialogueSendsSmonThenQuit) {
    Bytes query;
    Bytes quit;
    FakeServer server([&](int fd) {
        query = ReadBytes(fd, 5);
        std::string line = "+ok   7 free\n";
        WriteBytes(fd, line.data(), line.size());
        quit = ReadBytes(fd, 6);
    });
    EXPECT_EQ(TTSRequestStatus(kLoopback, server.Port()), 7);
    server.Finish();
    EXPECT_EQ(std::string(query.begin(), query.end()), "SMON\n");
    EXPECT_EQ(std::string(quit.begin(), quit.end()), "QUIT\n");
}

// A loopback listener that never accepts, with its queue filled: a further connect stays pending.
class StalledListener {
public:
    StalledListener() {
        listen_ = ListenOnLoopback(&port_, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        for (int i = 0; i < 16 && !stalled_; ++i) {
            int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            fillers_.push_back(fd);
            connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            pollfd entry{fd, POLLOUT, 0};
            stalled_ = poll(&entry, 1, 300) == 0;
        }
    }
    ~StalledListener() {
        for (int fd : fillers_) close(fd);
        close(listen_);
    }
    int Port() const { return port_; }
    bool Stalled() const { return stalled_; }

private:
    int listen_ = -1;
    int port_ = 0;
    bool stalled_ = false;
    std::vector<int> fillers_;
};

TEST(Requests, OpenWaitsItsOwnTimeoutOnlyZeroMeansNoWaitAndNegativeFails) {
    StalledListener stalled;
    ASSERT_TRUE(stalled.Stalled());
    const struct {
        int timeout;
        double atLeast, below;  // seconds
    } cases[] = {{-1, 0, 0.5}, {0, 0, 1.5}, {1, 0.9, 2.5}};
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(TTSOpen(kLoopback, stalled.Port(), c.timeout), TTS_NO_SOCKET) << c.timeout;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took.count(), c.atLeast) << c.timeout;
        EXPECT_LT(took.count(), c.below) << c.timeout;
    }
    FakeServer server([](int fd) { ReadBytes(fd, 1); });
    const TTSSocket negative = TTSOpen(kLoopback, server.Port(), -1);
    EXPECT_EQ(negative, TTS_NO_SOCKET) << "a negative timeout opens nothing";
    if (negative != TTS_NO_SOCKET) TTSClose(negative);
}

TEST(Requests, BufferFreeIgnoresNull) { EXPECT_EQ(TTSBufferFree(nullptr), 0); }
