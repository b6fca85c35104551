#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "net.h"

namespace mirelo_send::test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the tool in-process on the words, with `input` as standard input.
RunResult RunSend(const Args& args, const std::string& input = "");

// A UDP socket on 127.0.0.1 at a free port.
class UdpPeer {
public:
    UdpPeer();
    int Port() const { return port_; }
    // The next datagram, or nullopt when none arrives within the wait.
    std::optional<std::string> Receive(std::chrono::milliseconds wait = std::chrono::milliseconds(2000));
    void SendTo(int port, const std::string& bytes);

private:
    int port_ = 0;  // before the socket: it is set while the socket is made
    Socket socket_;
};

// A TCP server on 127.0.0.1 at a free port that accepts one connection and records every read.
// With closeAtEnd it closes when the sender has shut down its side; otherwise it keeps the
// connection open until it is destroyed.
class TcpPeer {
public:
    explicit TcpPeer(bool closeAtEnd = true);
    ~TcpPeer();
    int Port() const { return port_; }
    // Waits for the connection to end (or to reach the sender's shutdown) and returns each read.
    std::vector<std::string> Reads();

private:
    int port_ = 0;  // before the socket: it is set while the socket is made
    Socket listener_;
    bool closeAtEnd_;
    int stopPipe_[2] = {-1, -1};
    std::vector<std::string> reads_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then released).
int FreePort(int type);

std::string Join(const std::vector<std::string>& parts);

}  // namespace mirelo_send::test
