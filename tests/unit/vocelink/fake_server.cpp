#include "fake_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "wire.h"

namespace vocelink_test {

int ListenOnLoopback(int* port, int backlog) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd, backlog);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

FakeServer::FakeServer(std::function<void(int fd)> script) : script_(std::move(script)) {
    listenFd_ = ListenOnLoopback(&port_);
    thread_ = std::thread([this] { Run(); });
}

FakeServer::~FakeServer() { Finish(); }

void FakeServer::Finish() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        close(listenFd_);
        listenFd_ = -1;
    }
}

void FakeServer::Run() {
    while (true) {
        // Once asked to stop, connections that are already waiting are still served.
        bool last = stopping_;
        pollfd entry{listenFd_, POLLIN, 0};
        if (poll(&entry, 1, last ? 0 : 20) != 1) {
            if (last) {
                break;
            }
            continue;
        }
        int fd = accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        ++accepted_;
        timeval timeout{2, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        script_(fd);
        close(fd);
    }
}

Bytes ReadBytes(int fd, std::size_t count) {
    Bytes bytes(count);
    std::size_t have = 0;
    while (have < count) {
        ssize_t got = recv(fd, bytes.data() + have, count - have, 0);
        if (got <= 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
    return bytes;
}

bool ReadUntilClosed(int fd, std::size_t* received) {
    *received = 0;
    char buffer[4096];
    while (true) {
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            return false;
        }
        *received += static_cast<std::size_t>(got);
    }
}

void WriteBytes(int fd, const void* bytes, std::size_t count) {
    const auto* at = static_cast<const char*>(bytes);
    while (count > 0) {
        ssize_t sent = send(fd, at, count, MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        at += sent;
        count -= static_cast<std::size_t>(sent);
    }
}

void WriteBytes(int fd, const Bytes& bytes) { WriteBytes(fd, bytes.data(), bytes.size()); }

Bytes RawReply(int status, const std::string& lengthField, bool lastPiece) {
    Bytes reply(vocelink::kReplySize, 0);
    reply[0] = static_cast<std::uint8_t>(status);
    std::memcpy(&reply[1], lengthField.data(), std::min<std::size_t>(lengthField.size(), 32));
    reply[33] = lastPiece ? 1 : 0;
    return reply;
}

int UnusedPort() {
    int port = 0;
    int fd = ListenOnLoopback(&port);
    close(fd);
    return port;
}

}  // namespace vocelink_test
