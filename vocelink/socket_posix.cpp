#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include "socket.h"

namespace vocelink {
namespace {

int Fd(Socket socket) { return static_cast<int>(socket); }

bool IsWouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

bool ParseIpv4(const char* text, std::uint32_t* addressNetworkOrder) {
    in_addr_t address = inet_addr(text);
    if (address == INADDR_NONE) {
        return false;
    }
    *addressNetworkOrder = address;
    return true;
}

Socket OpenStreamSocket() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return kNoSocket;
    }
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        ::close(fd);
        return kNoSocket;
    }
    return fd;
}

ConnectStart StartConnect(Socket socket, std::uint32_t addressNetworkOrder, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = addressNetworkOrder;
    if (::connect(Fd(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return ConnectStart::Connected;
    }
    return errno == EINPROGRESS ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool WaitConnected(Socket socket, int timeoutSeconds) {
    pollfd entry{Fd(socket), POLLOUT, 0};
    // The extra millisecond stands for the extra microsecond of the select timeout on Windows.
    int ready = ::poll(&entry, 1, timeoutSeconds * 1000 + 1);
    if (ready != 1) {
        return false;
    }
    // A refused connection is also "writable": the pending error tells.
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

IoStep SendSome(Socket socket, const void* bytes, int count) {
    // MSG_NOSIGNAL: a peer that went away must give an error, not kill the host with SIGPIPE.
    ssize_t sent = ::send(Fd(socket), bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (sent > 0) {
        return {IoStatus::Moved, static_cast<int>(sent)};
    }
    if (sent < 0 && (IsWouldBlock(errno) || errno == EINTR)) {
        return {IoStatus::WouldBlock, 0};
    }
    return {IoStatus::Failed, 0};
}

IoStep ReceiveSome(Socket socket, void* bytes, int count) {
    ssize_t received = ::recv(Fd(socket), bytes, static_cast<size_t>(count), 0);
    if (received > 0) {
        return {IoStatus::Moved, static_cast<int>(received)};
    }
    if (received == 0) {
        return {IoStatus::Closed, 0};
    }
    if (IsWouldBlock(errno) || errno == EINTR) {
        return {IoStatus::WouldBlock, 0};
    }
    return {IoStatus::Failed, 0};
}

void WaitReady(Socket socket, bool forSend, int timeoutMs) {
    pollfd entry{Fd(socket), static_cast<short>(forSend ? POLLOUT : POLLIN), 0};
    ::poll(&entry, 1, timeoutMs);
}

int CloseSocket(Socket socket) { return ::close(Fd(socket)); }

std::int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace vocelink
