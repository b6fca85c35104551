// Every export against vocelink-server on loopback.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>

#include "launcher.h"
#include "test_support.h"

using namespace vocelink_test;
using vocelink_server::RunServerOnce;
using vocelink_server::ServerProcess;

namespace {

constexpr int kToneBytes = 20000;
constexpr int kWavHeader = 44;

bool IsRiffWave(const std::vector<char>& data) {
    return data.size() >= 44 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
           std::memcmp(data.data() + 8, "WAVE", 4) == 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class ToneServer : public ::testing::Test {
protected:
    ServerProcess server{{"--tone", "--tone-bytes", std::to_string(kToneBytes), "--piece-size", "3000"}};
    int Port() const { return server.Port(); }
};

}  // namespace

TEST_F(ToneServer, SingleReplyBufferReturnsTheWholeWavAndClosesTheConnection) {
    ASSERT_TRUE(server.Started());
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, Port(), "hello", 1, 1);
    EXPECT_EQ(piece.status, 1);
    EXPECT_EQ(piece.length, kWavHeader + kToneBytes);
    EXPECT_TRUE(piece.nulTerminated);
    EXPECT_TRUE(IsRiffWave(piece.data));
    EXPECT_EQ(holder, TTS_NO_SOCKET);
    EXPECT_NE(server.Log().find("buffer request: voice 10, format 1, single reply, text 5 bytes \"hello\""),
              std::string::npos)
        << server.Log();
}

TEST_F(ToneServer, MultiPieceBufferReassemblesToTheSingleReplyBytes) {
    ASSERT_TRUE(server.Started());
    TTSSocket holder = TTS_NO_SOCKET;
    Piece whole = RequestPiece(&holder, Port(), "hello", 1, 1);
    int calls = 0;
    int lastStatus = 0;
    std::vector<char> joined = RequestAllPieces(Port(), "hello", &calls, &lastStatus);
    EXPECT_EQ(lastStatus, 1);
    EXPECT_EQ(calls, (kWavHeader + kToneBytes + 2999) / 3000);
    EXPECT_EQ(joined, whole.data);
}

TEST_F(ToneServer, ExtendedBufferSendsOptionsAndLevels) {
    ASSERT_TRUE(server.Started());
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 0;
    int status = 0;
    char* data =
        TTSRequestBufferEx(&holder, kLoopback, Port(), "hi", 2, &length, 3, 2, 7, 100, -101, 255, 9, 1, 1, &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(length, kWavHeader + kToneBytes);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(TTSBufferFree(data), 0);
    EXPECT_NE(server.Log().find("options 7/9, levels 50/-50/0"), std::string::npos) << server.Log();
}

TEST_F(ToneServer, FileRequestsAnswerTheServerStatus) {
    ASSERT_TRUE(server.Started());
    EXPECT_EQ(TTSRequestFile(kLoopback, Port(), "text", 4, "loc", "out.wav", 10, 1), 1);
    EXPECT_EQ(TTSRequestFileEx(kLoopback, Port(), "text", 4, nullptr, "out.wav", 10, 1, 1, 2, 3, 4, 5), 1);
    EXPECT_NE(server.Log().find("file request: voice 10, format 1, location \"loc\", file \"out.wav\""),
              std::string::npos);
}

TEST_F(ToneServer, PlayAndEffectRequestsAreAccepted) {
    ASSERT_TRUE(server.Started());
    EXPECT_EQ(TTSRequestPlay(kLoopback, Port(), "play me", 7, 5), 1);
    EXPECT_EQ(TTSRequestEffect(kLoopback, Port(), "fx", 2, "loc", "fx.wav", "echo", 11, 2, 4), 1);
    std::string log = server.Log();
    EXPECT_NE(log.find("play request: voice 5, format 0, text 7 bytes \"play me\""), std::string::npos) << log;
    EXPECT_NE(log.find("effect request: voice 11, format 2, location \"loc\", file \"fx.wav\", effect \"echo\" 4"),
              std::string::npos)
        << log;
}

TEST_F(ToneServer, EffectWithoutFileNameGivesMinus8) {
    ASSERT_TRUE(server.Started());
    EXPECT_EQ(TTSRequestEffect(kLoopback, Port(), "fx", 2, "loc", nullptr, "echo", 11, 2, 4), VOCELINK_ERR_FILE_NAME);
}

TEST_F(ToneServer, OpenThenCloseSendsTheCloseRequest) {
    ASSERT_TRUE(server.Started());
    TTSSocket socket = TTSOpen(kLoopback, Port(), 2);
    ASSERT_NE(socket, TTS_NO_SOCKET);
    EXPECT_EQ(TTSClose(socket), 0);
    EXPECT_EQ(TTSClose(TTS_NO_SOCKET), 0);
    EXPECT_NE(server.Log().find("close request"), std::string::npos) << server.Log();
}

TEST_F(ToneServer, StatusQueryReportsBusyConnections) {
    ASSERT_TRUE(server.Started());
    EXPECT_EQ(TTSRequestStatus(kLoopback, Port()), 0);  // "+OK   0": only the query itself is served
    TTSSocket held = TTSOpen(kLoopback, Port(), 2);
    // The server counts the held connection once it has accepted it.
    int status = 0;
    for (int i = 0; i < 100 && status != 1; ++i) {
        status = TTSRequestStatus(kLoopback, Port());
    }
    EXPECT_EQ(status, 1);
    TTSClose(held);
    EXPECT_NE(server.Log().find("status dialogue: SMON"), std::string::npos);
    EXPECT_NE(server.Log().find("status dialogue: QUIT"), std::string::npos);
}

TEST_F(ToneServer, StopsCleanlyOnSigtermWithAConnectionOpen) {
    ASSERT_TRUE(server.Started());
    TTSSocket held = TTSOpen(kLoopback, Port(), 2);
    ASSERT_NE(held, TTS_NO_SOCKET);
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_NE(server.Log().find("stopped"), std::string::npos);
    TTSClose(held);
}

TEST(Server, StatusLineWithTwelveGivesTwelveAndOtherLinesGiveZero) {
    ServerProcess twelve({"--tone", "--status-line", "+OK   12"});
    ServerProcess refusing({"--tone", "--status-line", "-ERR no channel"});
    ASSERT_TRUE(twelve.Started() && refusing.Started());
    EXPECT_EQ(TTSRequestStatus(kLoopback, twelve.Port()), 12);
    EXPECT_EQ(TTSRequestStatus(kLoopback, refusing.Port()), 0);
}

TEST(Server, RefusalStatusReachesTheCaller) {
    // -4 is also the transfer failure's code: a refusal with it must still read as a refusal.
    for (const int refusal : {-20, -4}) {
        ServerProcess server({"--tone", "--refuse", std::to_string(refusal)});
        ASSERT_TRUE(server.Started());
        ExpectFailedPiece(server.Port(), refusal);
        EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), "x", 1, nullptr, "a.wav", 1, 1), refusal);
        EXPECT_EQ(TTSRequestPlay(kLoopback, server.Port(), "x", 1, 1), refusal);
        EXPECT_EQ(TTSRequestEffect(kLoopback, server.Port(), "x", 1, nullptr, "a.wav", nullptr, 1, 1, 0),
                  VOCELINK_ERR_EFFECT)
            << refusal;
    }
}

TEST(Server, NeverAnsweringServerFailsAfterTheTransferTimeout) {
    TimeoutGuard restore;
    ServerProcess server({"--tone", "--never-answer"});
    ASSERT_TRUE(server.Started());
    TTSSetTimeout(1, 1);
    auto start = std::chrono::steady_clock::now();
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, server.Port(), "x", 1, 1);
    double seconds = SecondsSince(start);
    EXPECT_EQ(piece.status, VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
    EXPECT_GE(seconds, 0.9);
    EXPECT_LT(seconds, 2.5);
}

TEST(Server, SetTimeoutZeroAndTenKeepsConnectTimeoutAndLengthensTransfers) {
    TimeoutGuard restore;
    ServerProcess slow({"--tone", "--delay-ms", "1500"});
    ASSERT_TRUE(slow.Started());
    EXPECT_EQ(TTSSetTimeout(4, 1), 4);
    TTSSocket holder = TTS_NO_SOCKET;
    EXPECT_EQ(RequestPiece(&holder, slow.Port(), "x", 1, 1).status, VOCELINK_ERR_TRANSFER);
    EXPECT_EQ(TTSSetTimeout(0, 10), 4);
    EXPECT_EQ(TTSSetTimeout(-1, -1), 4);
    EXPECT_EQ(RequestPiece(&holder, slow.Port(), "x", 1, 1).status, 1);
}

TEST(Server, HostNameInsteadOfDottedAddressFailsToConnect) {
    ServerProcess server({"--tone"});
    ASSERT_TRUE(server.Started());
    int length = 5;
    int status = 5;
    TTSSocket holder = TTS_NO_SOCKET;
    EXPECT_EQ(TTSRequestBuffer(&holder, "localhost", server.Port(), "x", 1, &length, 1, 1, 1, 1, &status), nullptr);
    EXPECT_EQ(status, VOCELINK_ERR_CONNECT);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(TTSOpen("localhost", server.Port(), 1), TTS_NO_SOCKET);
    EXPECT_EQ(TTSRequestStatus("localhost", server.Port()), VOCELINK_ERR_CONNECT);
    EXPECT_EQ(TTSRequestFile("localhost", server.Port(), "x", 1, nullptr, "a", 1, 1), VOCELINK_ERR_CONNECT);
}

TEST(Server, SpeechFromEspeakIsAWavOfSeveralThousandBytes) {
    ServerProcess server({});
    ASSERT_TRUE(server.Started()) << server.Log();
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, server.Port(), "You have new mail.", 1, 1);
    EXPECT_EQ(piece.status, 1);
    EXPECT_TRUE(IsRiffWave(piece.data));
    EXPECT_GT(piece.length, 10000);
}

TEST(Server, KoreanTextInCodePage949IsSpokenWithTheKoreanVoice) {
    ServerProcess server({});
    ASSERT_TRUE(server.Started()) << server.Log();
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, server.Port(), "\xC7\xD1\xB1\xDB \xB8\xDE\xC0\xCF", 1, 1);  // "한글 메일"
    EXPECT_EQ(piece.status, 1);
    EXPECT_TRUE(IsRiffWave(piece.data));
    std::string log = server.Log();
    EXPECT_NE(log.find("text 9 bytes \"\xED\x95\x9C\xEA\xB8\x80 \xEB\xA9\x94\xEC\x9D\xBC\""), std::string::npos) << log;
    EXPECT_NE(log.find("espeak-ng voice ko"), std::string::npos) << log;
}

TEST(Server, FileRequestWritesItsAudioIntoTheOutputFolder) {
    char dir[] = "/tmp/vocelink-out-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ServerProcess server({"--tone", "--output-dir", dir});
    ASSERT_TRUE(server.Started());
    EXPECT_EQ(TTSRequestFile(kLoopback, server.Port(), "x", 1, nullptr, "..\\sub/../saved.wav", 1, 1), 1);
    std::string path = std::string(dir) + "/saved.wav";
    std::ifstream saved(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(IsRiffWave(bytes));
    unlink(path.c_str());
    rmdir(dir);
}

TEST(Server, SaveFolderKeepsTheTextAndTheAudioOfEveryBufferRequest) {
    char dir[] = "/tmp/vocelink-save-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ServerProcess server({"--tone", "--tone-bytes", "100", "--save-dir", dir});
    ASSERT_TRUE(server.Started());
    TTSSocket holder = TTS_NO_SOCKET;
    const std::vector<std::string> texts = {std::string("\xC7\xD1\0x", 4), "second"};
    std::vector<std::vector<char>> sent;
    for (const std::string& text : texts) sent.push_back(RequestPiece(&holder, server.Port(), text, 1, 1).data);
    for (int i = 0; i < 2; ++i) {
        const std::string stem = std::string(dir) + "/speech-00" + std::to_string(i + 1);
        std::ifstream textFile(stem + ".txt", std::ios::binary);
        std::ifstream wavFile(stem + ".wav", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(textFile), std::istreambuf_iterator<char>()), texts[i]);
        EXPECT_EQ(std::vector<char>(std::istreambuf_iterator<char>(wavFile), std::istreambuf_iterator<char>()),
                  sent[i]);
        unlink((stem + ".txt").c_str());
        unlink((stem + ".wav").c_str());
    }
    EXPECT_EQ(rmdir(dir), 0);
}

TEST(Server, HelpAndMissingEspeak) {
    std::string output;
    EXPECT_EQ(RunServerOnce({"--help"}, &output), 0);
    EXPECT_NE(output.find("--never-answer"), std::string::npos);
    EXPECT_EQ(RunServerOnce({"--espeak", "/nonexistent/espeak-ng"}, &output), 3);
    EXPECT_NE(output.find("cannot run /nonexistent/espeak-ng"), std::string::npos) << output;
    EXPECT_EQ(RunServerOnce({"--port", "x"}, &output), 2);
}
