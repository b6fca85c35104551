// Windows Sockets 2 must come before windows.h, which would pull in the old Windows Sockets 1 header.
#include <winsock2.h>

#include <windows.h>

#include "socket.h"

namespace vocelink {
namespace {

SOCKET Handle(Socket socket) { return static_cast<SOCKET>(static_cast<std::uintptr_t>(socket)); }

timeval Timeout(int seconds, int microseconds) {
    timeval time{};
    time.tv_sec = seconds;
    time.tv_usec = microseconds;
    return time;
}

}  // namespace

bool ParseIpv4(const char* text, std::uint32_t* addressNetworkOrder) {
    unsigned long address = inet_addr(text);
    if (address == INADDR_NONE) {
        return false;
    }
    *addressNetworkOrder = static_cast<std::uint32_t>(address);
    return true;
}

Socket OpenStreamSocket() {
    SOCKET handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) {
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(handle, FIONBIO, &nonBlocking) != 0) {
        closesocket(handle);
        return kNoSocket;
    }
    return static_cast<Socket>(handle);
}

ConnectStart StartConnect(Socket socket, std::uint32_t addressNetworkOrder, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = addressNetworkOrder;
    if (::connect(Handle(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return ConnectStart::Connected;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? ConnectStart::InProgress : ConnectStart::Failed;
}

bool WaitConnected(Socket socket, int timeoutSeconds) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(Handle(socket), &writable);
    FD_SET(Handle(socket), &failed);
    timeval timeout = Timeout(timeoutSeconds, 1);
    if (select(0, nullptr, &writable, &failed, &timeout) < 1 || !FD_ISSET(Handle(socket), &writable)) {
        // A refused connection lands in the exception set.
        return false;
    }
    int error = 0;
    int length = sizeof error;
    return getsockopt(Handle(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
           error == 0;
}

IoStep SendSome(Socket socket, const void* bytes, int count) {
    int sent = ::send(Handle(socket), static_cast<const char*>(bytes), count, 0);
    if (sent > 0) {
        return {IoStatus::Moved, sent};
    }
    if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
        return {IoStatus::WouldBlock, 0};
    }
    return {IoStatus::Failed, 0};
}

IoStep ReceiveSome(Socket socket, void* bytes, int count) {
    int received = ::recv(Handle(socket), static_cast<char*>(bytes), count, 0);
    if (received > 0) {
        return {IoStatus::Moved, received};
    }
    if (received == 0) {
        return {IoStatus::Closed, 0};
    }
    if (WSAGetLastError() == WSAEWOULDBLOCK) {
        return {IoStatus::WouldBlock, 0};
    }
    return {IoStatus::Failed, 0};
}

void WaitReady(Socket socket, bool forSend, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Handle(socket), &set);
    timeval timeout = Timeout(timeoutMs / 1000, (timeoutMs % 1000) * 1000);
    select(0, forSend ? nullptr : &set, forSend ? &set : nullptr, nullptr, &timeout);
}

int CloseSocket(Socket socket) { return closesocket(Handle(socket)); }

std::int64_t MonotonicMs() { return static_cast<std::int64_t>(GetTickCount64()); }

}  // namespace vocelink
