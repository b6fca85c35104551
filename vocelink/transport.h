#pragma once

// Connections and exact-count transfers with the library-wide timeouts.

#include "socket.h"

namespace vocelink {

constexpr int kDefaultConnectTimeout = 3;
constexpr int kDefaultTransferTimeout = 30;

int ConnectTimeoutSeconds();
int TransferTimeoutSeconds();

// Takes each value only when it is positive.
void SetTimeouts(int connectSeconds, int transferSeconds);

// Connects to a dotted IPv4 address within timeoutSeconds; kNoSocket on any failure (a host name, no
// socket, refused, timed out).
Socket Connect(const char* address, int port, int timeoutSeconds);

// Moves exactly `count` bytes unless the peer closes, an error occurs or the transfer timeout is spent
// waiting for the peer. Returns the number of bytes moved; callers treat any shortfall as a failure.
int SendExact(Socket socket, const void* bytes, int count);
int ReceiveExact(Socket socket, void* bytes, int count);

}  // namespace vocelink
