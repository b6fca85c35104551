#include "test_support.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace mirelo_send::test {
namespace {

constexpr int kWaitMs = 5000;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

Socket BindLoopback(int type, int* port) {
    Socket socket(::socket(AF_INET, type | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(0);
    if (!socket.Valid() || bind(socket.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot bind a loopback socket: " + ErrnoText());
    }
    *port = ntohs(BoundAddress(socket)->sin_port);
    return socket;
}

bool Readable(int fd, int waitMs) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, waitMs) > 0;
}

}  // namespace

RunResult RunSend(const Args& args, const std::string& input) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    Context context{out, err, in, {}};
    RunResult result;
    result.exitCode = RunTool(args, context);
    result.out = out.str();
    result.err = err.str();
    return result;
}

UdpPeer::UdpPeer() : socket_(BindLoopback(SOCK_DGRAM, &port_)) {}

std::optional<std::string> UdpPeer::Receive(std::chrono::milliseconds wait) {
    if (!Readable(socket_.Fd(), static_cast<int>(wait.count()))) return std::nullopt;
    std::string buffer(65536, '\0');
    const ssize_t size = recv(socket_.Fd(), buffer.data(), buffer.size(), 0);
    if (size < 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
}

void UdpPeer::SendTo(int port, const std::string& bytes) {
    const sockaddr_in to = Loopback(port);
    sendto(socket_.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

TcpPeer::TcpPeer(bool closeAtEnd) : listener_(BindLoopback(SOCK_STREAM, &port_)), closeAtEnd_(closeAtEnd) {
    if (listen(listener_.Fd(), 4) != 0 || pipe(stopPipe_) != 0) {
        throw std::runtime_error("cannot listen on a loopback socket: " + ErrnoText());
    }
    thread_ = std::thread([this] {
        if (!Readable(listener_.Fd(), kWaitMs)) return;
        Socket connection(accept(listener_.Fd(), nullptr, nullptr));
        char buffer[65536];
        while (Readable(connection.Fd(), kWaitMs)) {
            const ssize_t size = recv(connection.Fd(), buffer, sizeof buffer, 0);
            if (size <= 0) break;
            reads_.emplace_back(buffer, static_cast<std::size_t>(size));
        }
        if (!closeAtEnd_) Readable(stopPipe_[0], kWaitMs);
    });
}

TcpPeer::~TcpPeer() {
    // Should the write fail, the thread ends by its own timeout.
    [[maybe_unused]] const ssize_t written = write(stopPipe_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

std::vector<std::string> TcpPeer::Reads() {
    if (thread_.joinable()) thread_.join();
    return reads_;
}

int FreePort(int type) {
    int port = 0;
    BindLoopback(type, &port);
    return port;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += part;
    return joined;
}

}  // namespace mirelo_send::test
