#include "net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace mirelo_send {
namespace {

using Clock = std::chrono::steady_clock;

std::string FormatSeconds(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

// Waits until the socket is ready for `events` or the deadline passes; false on timeout.
bool WaitUntil(int fd, short events, Clock::time_point deadline) {
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd watched{fd, events, 0};
        const int ready = poll(&watched, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

Clock::time_point After(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

std::string ConnectError(const std::string& where, int error) {
    std::string text = "cannot connect to " + where + " over TCP: " + std::strerror(error);
    if (error == ECONNREFUSED) {
        text += " (nothing accepts connections there: is Mirelo running in TCP mode, ListenMode 1, on that port?)";
    }
    return text;
}

std::string Connect(const Socket& socket, const sockaddr_in& to, const TcpPlan& plan) {
    const std::string where = Describe(to);
    if (connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return {};
    if (errno != EINPROGRESS) return ConnectError(where, errno);
    if (!WaitUntil(socket.Fd(), POLLOUT, After(plan.timeoutMs))) {
        return "no connection to " + where + " within " + FormatSeconds(plan.timeoutMs) +
               " (is a firewall dropping it? --timeout waits longer)";
    }
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(socket.Fd(), SOL_SOCKET, SO_ERROR, &error, &length);
    return error == 0 ? std::string() : ConnectError(where, error);
}

std::string SendAll(const Socket& socket, const std::string& where, std::string_view bytes, const TcpPlan& plan) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (sent > 0 && plan.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(plan.delayMs));
        const std::size_t left = bytes.size() - sent;
        const std::size_t piece = plan.chunkBytes > 0 ? std::min<std::size_t>(plan.chunkBytes, left) : left;
        const std::size_t end = sent + piece;
        while (sent < end) {
            if (!WaitUntil(socket.Fd(), POLLOUT, After(plan.timeoutMs))) {
                return "sending to " + where + " stalled: the peer took no data for " + FormatSeconds(plan.timeoutMs) +
                       " (" + std::to_string(sent) + " of " + std::to_string(bytes.size()) + " bytes sent)";
            }
            const ssize_t count = send(socket.Fd(), bytes.data() + sent, end - sent, MSG_NOSIGNAL);
            if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (count < 0) {
                return "sending to " + where + " failed after " + std::to_string(sent) + " of " +
                       std::to_string(bytes.size()) + " bytes: " + ErrnoText();
            }
            sent += static_cast<std::size_t>(count);
        }
    }
    return {};
}

// Reads and drops whatever the peer sends until it closes. A reset counts as a close: the client may
// close with bytes of ours still unread.
std::string AwaitClose(const Socket& socket, const std::string& where, const TcpPlan& plan) {
    const Clock::time_point deadline = After(plan.timeoutMs);
    char buffer[4096];
    while (true) {
        if (!WaitUntil(socket.Fd(), POLLIN, deadline)) {
            return "the peer at " + where + " did not close the connection within " + FormatSeconds(plan.timeoutMs) +
                   " after the message was sent (--timeout waits longer)";
        }
        const ssize_t count = recv(socket.Fd(), buffer, sizeof buffer, 0);
        if (count == 0 || (count < 0 && errno == ECONNRESET)) return {};
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return "waiting for " + where + " to close the connection failed: " + ErrnoText();
        }
    }
}

}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

Socket::~Socket() {
    if (fd_ >= 0) close(fd_);
}

int Socket::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::optional<sockaddr_in> Resolve(const std::string& host, int port, std::string* error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (status != 0 || found == nullptr) {
        *error = "cannot resolve host '" + host +
                 "' to an IPv4 address: " + (status == EAI_SYSTEM ? ErrnoText() : std::string(gai_strerror(status)));
        return std::nullopt;
    }
    sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

std::string Describe(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

std::string ErrnoText() { return std::strerror(errno); }

Socket OpenUdp(const sockaddr_in* bind, std::string* error) {
    Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socket.Valid()) {
        *error = "cannot create a UDP socket: " + ErrnoText();
        return socket;
    }
    if (bind != nullptr && ::bind(socket.Fd(), reinterpret_cast<const sockaddr*>(bind), sizeof *bind) != 0) {
        *error = "cannot listen on UDP " + Describe(*bind) + ": " + ErrnoText();
        if (errno == EADDRINUSE) *error += " (another program holds the port: stop it, or choose --port 0)";
        return Socket();
    }
    return socket;
}

std::string SendDatagram(const Socket& socket, const sockaddr_in& to, std::string_view bytes) {
    const ssize_t count =
        sendto(socket.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (count < 0) return "cannot send to " + Describe(to) + " over UDP: " + ErrnoText();
    return {};
}

std::string SendOverTcp(const sockaddr_in& to, std::string_view bytes, const TcpPlan& plan) {
    Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.Valid()) return "cannot create a TCP socket: " + ErrnoText();
    // Without Nagle's delay every chunk leaves as its own segment, which is what chunking is for.
    const int on = 1;
    setsockopt(socket.Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const std::string where = Describe(to);
    std::string error = Connect(socket, to, plan);
    if (error.empty()) error = SendAll(socket, where, bytes, plan);
    if (!error.empty()) return error;
    shutdown(socket.Fd(), SHUT_WR);
    return AwaitClose(socket, where, plan);
}

std::optional<sockaddr_in> BoundAddress(const Socket& socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(socket.Fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return std::nullopt;
    return address;
}

}  // namespace mirelo_send
