#pragma once

// The platform's socket calls, reduced to what the transport needs. socket_win.cpp implements them
// over Windows Sockets, socket_posix.cpp over POSIX sockets; everything above is shared.

#include <cstdint>

#include "vocelink.h"

namespace vocelink {

using Socket = TTSSocket;
constexpr Socket kNoSocket = TTS_NO_SOCKET;

enum class IoStatus {
    Moved,       // count bytes went through (at least one)
    WouldBlock,  // nothing to do right now
    Closed,      // the peer closed the connection (receive only)
    Failed,      // any other error
};

struct IoStep {
    IoStatus status;
    int count;
};

enum class ConnectStart {
    Connected,   // completed at once
    InProgress,  // wait with WaitConnected
    Failed,
};

// inet_addr of a dotted IPv4 text: the address in network order, or nothing for any other text.
bool ParseIpv4(const char* text, std::uint32_t* addressNetworkOrder);

// A new non-blocking TCP socket, or kNoSocket.
Socket OpenStreamSocket();

ConnectStart StartConnect(Socket socket, std::uint32_t addressNetworkOrder, int port);

// Waits for a pending connect to finish; true when the connection stands.
bool WaitConnected(Socket socket, int timeoutSeconds);

IoStep SendSome(Socket socket, const void* bytes, int count);
IoStep ReceiveSome(Socket socket, void* bytes, int count);

// Waits up to timeoutMs until the socket can take more data (forSend) or has data or an end to read.
void WaitReady(Socket socket, bool forSend, int timeoutMs);

// Closes the socket; 0 on success.
int CloseSocket(Socket socket);

// Milliseconds from a fixed point, never going back.
std::int64_t MonotonicMs();

}  // namespace vocelink
