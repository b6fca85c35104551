// The commands against real sockets on 127.0.0.1, every one bound to a free port.

#include <sys/socket.h>

#include <future>
#include <sstream>

#include <gtest/gtest.h>

#include "test_support.h"

namespace mirelo_send::test {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string PayloadOf(std::size_t size) {
    std::string payload(size, '\0');
    for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<char>('a' + i % 26);
    return payload;
}

TEST(LoopbackTest, UdpDatagramArrivesAsBuilt) {
    UdpPeer peer;
    const std::string payload = PayloadOf(57);
    const RunResult result = RunSend({"raw", "--kind", "2", "--text", payload, "--port", std::to_string(peer.Port())});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(result.out, "sent 1 message of 67 bytes to 127.0.0.1:" + std::to_string(peer.Port()) + " over UDP\n");
    EXPECT_EQ(peer.Receive(), "0000005702" + payload);
}

TEST(LoopbackTest, UdpRepeatSendsABurst) {
    UdpPeer peer;
    const RunResult result =
        RunSend({"end", "--repeat", "20", "--port", std::to_string(peer.Port()), "--host", "localhost", "--quiet"});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(result.out, "");
    for (int i = 0; i < 20; ++i) ASSERT_EQ(peer.Receive(), "0000000099") << i;
    EXPECT_EQ(peer.Receive(std::chrono::milliseconds(50)), std::nullopt);
}

TEST(LoopbackTest, MessengerTextIsOneDatagram) {
    UdpPeer peer;
    const RunResult result =
        RunSend({"messenger", "--user-signin", "kim", "http://gw/", "--port", std::to_string(peer.Port())});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(peer.Receive(), std::string("@Ukim\0http://gw/", 16));
}

TEST(LoopbackTest, TcpChunksReassembleToTheMessage) {
    TcpPeer peer;
    const std::string payload = PayloadOf(5000);
    const RunResult result = RunSend({"raw", "--kind", "98", "--text", payload, "--tcp", "--chunk", "4000",
                                      "--delay-ms", "60", "--port", std::to_string(peer.Port())});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    const std::vector<std::string> reads = peer.Reads();
    EXPECT_EQ(Join(reads), "0000500098" + payload);
    ASSERT_GE(reads.size(), 2u);
    EXPECT_LE(reads[0].size(), 4000u);
    EXPECT_TRUE(Contains(result.out, "of 5010 bytes")) << result.out;
}

TEST(LoopbackTest, TcpMessageWithoutChunks) {
    TcpPeer peer;
    const RunResult result = RunSend({"end", "--tcp", "--port", std::to_string(peer.Port())});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(Join(peer.Reads()), "0000000099");
    EXPECT_TRUE(Contains(result.out, "over TCP"));
}

TEST(LoopbackTest, TcpPeerThatNeverClosesTimesOut) {
    TcpPeer peer(false);
    const std::string port = std::to_string(peer.Port());
    const RunResult result = RunSend({"end", "--tcp", "--timeout", "0.2", "--port", port});
    EXPECT_EQ(result.exitCode, kExitNetwork);
    EXPECT_TRUE(Contains(result.err, "127.0.0.1:" + port + " did not close the connection within 0.2 s")) << result.err;
}

TEST(LoopbackTest, RefusedConnectionNamesTheAddress) {
    const std::string port = std::to_string(FreePort(SOCK_STREAM));
    const RunResult result = RunSend({"end", "--tcp", "--port", port});
    EXPECT_EQ(result.exitCode, kExitNetwork);
    EXPECT_TRUE(Contains(result.err, "cannot connect to 127.0.0.1:" + port + " over TCP: Connection refused"))
        << result.err;
}

TEST(LoopbackTest, ListenPrintsWhatMireloSendSends) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    std::promise<int> bound;
    Context context{out, err, in, [&bound](const std::string&, int port) { bound.set_value(port); }};
    std::future<int> exitCode = std::async(std::launch::async, [&context] {
        return RunTool({"listen", "--port", "0", "--count", "2", "--timeout", "5", "--format", "json"}, context);
    });
    std::future<int> port = bound.get_future();
    ASSERT_EQ(port.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const std::string portText = std::to_string(port.get());
    EXPECT_EQ(RunSend({"raw", "--kind", "2", "--text", "hi", "--port", portText}).exitCode, kExitOk);
    EXPECT_EQ(RunSend({"messenger", "@0NLN", "--port", portText}).exitCode, kExitOk);
    ASSERT_EQ(exitCode.get(), kExitOk) << err.str();

    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "listening on 127.0.0.1:" + portText);
    std::getline(lines, line);
    EXPECT_TRUE(line.starts_with(R"({"index":1,"from":"127.0.0.1:)")) << line;
    EXPECT_TRUE(Contains(line, R"("length":12,"hex":"303030303030303230326869","base64":"MDAwMDAwMDIwMmhp",)"
                               R"("text":"0000000202hi"})"))
        << line;
    std::getline(lines, line);
    EXPECT_TRUE(Contains(line, R"("index":2,)")) << line;
    EXPECT_TRUE(Contains(line, R"("text":"@0NLN"})")) << line;
    EXPECT_FALSE(std::getline(lines, line));
    EXPECT_EQ(err.str(), "received 2 datagrams\n");
}

TEST(LoopbackTest, ListenWithoutEnoughDatagramsTimesOut) {
    const RunResult result = RunSend({"listen", "--port", "0", "--count", "1", "--timeout", "0.1"});
    EXPECT_EQ(result.exitCode, kExitTimedOut);
    EXPECT_TRUE(result.out.starts_with("listening on 127.0.0.1:")) << result.out;
    EXPECT_EQ(result.err, "received 0 datagrams\n");
    EXPECT_EQ(RunSend({"listen", "--port", "0", "--timeout", "0.1"}).exitCode, kExitOk);
}

TEST(LoopbackTest, ListenOnABusyPortSaysSo) {
    UdpPeer holder;
    const std::string port = std::to_string(holder.Port());
    const RunResult result = RunSend({"listen", "--port", port, "--timeout", "0.1"});
    EXPECT_EQ(result.exitCode, kExitNetwork);
    EXPECT_TRUE(Contains(result.err, "cannot listen on UDP 127.0.0.1:" + port + ": Address already in use"))
        << result.err;
}

}  // namespace
}  // namespace mirelo_send::test
