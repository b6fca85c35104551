#pragma once

#include <netinet/in.h>

#include <optional>
#include <string>
#include <string_view>

namespace mirelo_send {

// Owns one socket descriptor.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket();

    int Fd() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();

private:
    int fd_ = -1;
};

// An IPv4 address for a host name or dotted address; nullopt with the reason in *error.
std::optional<sockaddr_in> Resolve(const std::string& host, int port, std::string* error);

// "127.0.0.1:7333".
std::string Describe(const sockaddr_in& address);

// The text of the current errno.
std::string ErrnoText();

// A UDP socket; with `bind`, bound to that address (port 0: any free port). Invalid on failure, with
// the reason in *error.
Socket OpenUdp(const sockaddr_in* bind, std::string* error);

// Sends one datagram. Returns the error text, empty on success.
std::string SendDatagram(const Socket& socket, const sockaddr_in& to, std::string_view bytes);

struct TcpPlan {
    int chunkBytes = 0;    // 0: all at once
    int delayMs = 0;       // between chunks
    int timeoutMs = 5000;  // for the connection, each send and the wait for the peer's close
};

// One message on its own connection: connect, send (in chunks), shut down the sending side and wait
// until the peer closes. Returns the error text, empty on success.
std::string SendOverTcp(const sockaddr_in& to, std::string_view bytes, const TcpPlan& plan);

// The address a socket is bound to.
std::optional<sockaddr_in> BoundAddress(const Socket& socket);

}  // namespace mirelo_send
