#pragma once

// A scripted speech server inside the test process, for the replies the real server never sends.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vocelink_test {

using Bytes = std::vector<std::uint8_t>;

class FakeServer {
public:
    // Runs `script` for every accepted connection, one after the other; the connection is closed when
    // the script returns. Reads on it time out after two seconds, so a script cannot hang a test.
    explicit FakeServer(std::function<void(int fd)> script);
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }

    // Serves the connections already made, then stops accepting.
    void Finish();

private:
    void Run();

    std::function<void(int fd)> script_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Script helpers.

// Reads up to `count` bytes; fewer when the peer closes or nothing comes for the read timeout.
Bytes ReadBytes(int fd, std::size_t count);

// Reads until the peer closes (true) or the read timeout passes (false); counts what came.
bool ReadUntilClosed(int fd, std::size_t* received);

void WriteBytes(int fd, const void* bytes, std::size_t count);
void WriteBytes(int fd, const Bytes& bytes);

// A reply of the wire format with its length field set to exactly `lengthField`.
Bytes RawReply(int status, const std::string& lengthField, bool lastPiece);

// A listening socket on a free loopback port.
int ListenOnLoopback(int* port, int backlog = 8);

// A free loopback port on which nobody listens.
int UnusedPort();

}  // namespace vocelink_test
