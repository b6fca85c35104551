// Replies no proper server sends: each gives a defined negative code, frees what it allocated and
// leaves no connection behind.

#include <gtest/gtest.h>

#include <string>

#include "fake_server.h"
#include "test_support.h"
#include "wire.h"

using namespace vocelink_test;

namespace {

constexpr std::size_t kBufferRequestBytes = 1 + 366 + 1;  // marker, header and the text "x"

// A server that reads the buffer request, then sends `answer` and closes the connection.
class Answering {
public:
    explicit Answering(Bytes answer)
        : server_([answer](int fd) {
              ReadBytes(fd, kBufferRequestBytes);
              WriteBytes(fd, answer);
          }) {}
    int Port() const { return server_.Port(); }

private:
    FakeServer server_;
};

Bytes With(Bytes reply, std::size_t dataBytes) {
    reply.resize(reply.size() + dataBytes, 'a');
    return reply;
}

void ExpectFailure(const Bytes& answer, int code) {
    Answering server(answer);
    ExpectFailedPiece(server.Port(), code);
}

}  // namespace

TEST(Malformed, ShortReplyIsATransferFailure) {
    ExpectFailure(Bytes(20, 0), VOCELINK_ERR_TRANSFER);
    ExpectFailure(Bytes(), VOCELINK_ERR_TRANSFER);
}

TEST(Malformed, GarbageLengthFieldIsATransferFailure) {
    ExpectFailure(With(RawReply(1, "12ab", true), 12), VOCELINK_ERR_TRANSFER);
    ExpectFailure(With(RawReply(1, "\xff\xfe", true), 12), VOCELINK_ERR_TRANSFER);
    ExpectFailure(RawReply(1, "-5", true), VOCELINK_ERR_TRANSFER);
}

TEST(Malformed, LengthLargerThanWhatFollowsIsATransferFailure) {
    ExpectFailure(With(RawReply(1, "100", true), 50), VOCELINK_ERR_TRANSFER);
}

TEST(Malformed, HugeAnnouncedLengthIsRefusedOrFails) {
    // Past what a speech piece can be: refused without allocating it.
    ExpectFailure(With(RawReply(1, "999999999", true), 10), VOCELINK_ERR_MEMORY);
    ExpectFailure(With(RawReply(1, "2147483647", true), 10), VOCELINK_ERR_MEMORY);
    // Past the int range: not a length at all.
    ExpectFailure(With(RawReply(1, "99999999999999999999", true), 10), VOCELINK_ERR_TRANSFER);
}

TEST(Malformed, NegativeStatusIsPassedOnAndItsDataDropped) { ExpectFailure(With(RawReply(-2, "4", true), 4), -2); }

TEST(Malformed, ConnectionClosedMidAudioOfALaterPiece) {
    Bytes answer = With(RawReply(1, "3", false), 3);
    Bytes second = With(RawReply(1, "1000", true), 10);
    answer.insert(answer.end(), second.begin(), second.end());
    Answering server(answer);
    TTSSocket holder = TTS_NO_SOCKET;
    Piece first = RequestPiece(&holder, server.Port(), "x", 1, 0);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.length, 3);
    ASSERT_NE(holder, TTS_NO_SOCKET);
    Piece broken = RequestPiece(&holder, server.Port(), "x", 0, 0);
    EXPECT_FALSE(broken.gotData);
    EXPECT_EQ(broken.status, VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(broken.length, 0);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
}

TEST(Malformed, ShortReplyToFileAndPlayRequests) {
    FakeServer server([](int fd) {
        ReadBytes(fd, 365);  // the shortest of the three requests
        WriteBytes(fd, Bytes(10, 1));
    });
    EXPECT_EQ(TTSRequestPlay(kLoopback, server.Port(), "", 0, 1), VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(TTSRequestEffect(kLoopback, server.Port(), "", 0, nullptr, "f", nullptr, 1, 1, 1), VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), "", 0, nullptr, "f", 1, 1), VOCELINK_ERR_TRANSFER);
}

TEST(Malformed, StatusDialogueWithoutAnswerLine) {
    FakeServer silent([](int fd) { ReadBytes(fd, 5); });
    EXPECT_EQ(TTSRequestStatus(kLoopback, silent.Port()), VOCELINK_ERR_TRANSFER);
    // A line longer than 127 bytes is read up to the limit; it does not begin with "+OK".
    FakeServer chatty([](int fd) {
        ReadBytes(fd, 5);
        std::string noise(1000, 'z');
        WriteBytes(fd, noise.data(), noise.size());
        ReadBytes(fd, 5);
    });
    EXPECT_EQ(TTSRequestStatus(kLoopback, chatty.Port()), 0);
}
