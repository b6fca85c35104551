#include "transport.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace vocelink {
namespace {

// The timeouts are shared by every thread of the host; atomics keep a concurrent change well defined.
std::atomic<int> connectTimeout{kDefaultConnectTimeout};
std::atomic<int> transferTimeout{kDefaultTransferTimeout};

// A transfer that would block waits for the peer in slices of this length. The transfer gives up once
// it has waited ten slices per second of the transfer timeout. The wait ends early when the socket
// becomes ready, and only the time actually spent waiting counts, so a responsive peer costs nothing.
constexpr int kWaitSliceMs = 100;

template <typename Step>
int Transfer(Socket socket, bool forSend, int count, Step step) {
    const std::int64_t budgetMs = static_cast<std::int64_t>(TransferTimeoutSeconds()) * 10 * kWaitSliceMs;
    std::int64_t waitedMs = 0;
    int moved = 0;
    while (moved < count) {
        IoStep result = step(moved);
        if (result.status == IoStatus::Moved) {
            moved += result.count;
            continue;
        }
        if (result.status != IoStatus::WouldBlock || waitedMs >= budgetMs) {
            break;
        }
        std::int64_t started = MonotonicMs();
        WaitReady(socket, forSend, static_cast<int>(std::min<std::int64_t>(kWaitSliceMs, budgetMs - waitedMs)));
        waitedMs += std::max<std::int64_t>(MonotonicMs() - started, 1);
    }
    return moved;
}

}  // namespace

int ConnectTimeoutSeconds() { return connectTimeout.load(std::memory_order_relaxed); }

int TransferTimeoutSeconds() { return transferTimeout.load(std::memory_order_relaxed); }

void SetTimeouts(int connectSeconds, int transferSeconds) {
    if (connectSeconds > 0) {
        connectTimeout.store(connectSeconds, std::memory_order_relaxed);
    }
    if (transferSeconds > 0) {
        transferTimeout.store(transferSeconds, std::memory_order_relaxed);
    }
}

Socket Connect(const char* address, int port, int timeoutSeconds) {
    std::uint32_t ip = 0;
    if (address == nullptr || !ParseIpv4(address, &ip)) {
        return kNoSocket;
    }
    Socket socket = OpenStreamSocket();
    if (socket == kNoSocket) {
        return kNoSocket;
    }
    ConnectStart start = StartConnect(socket, ip, port);
    // A connect that completes at once (possible on loopback) is as good as one that completes later.
    if (start == ConnectStart::Connected ||
        (start == ConnectStart::InProgress && WaitConnected(socket, timeoutSeconds))) {
        return socket;
    }
    CloseSocket(socket);
    return kNoSocket;
}

int SendExact(Socket socket, const void* bytes, int count) {
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    return Transfer(socket, true, count, [&](int done) { return SendSome(socket, data + done, count - done); });
}

int ReceiveExact(Socket socket, void* bytes, int count) {
    auto* data = static_cast<std::uint8_t*>(bytes);
    return Transfer(socket, false, count, [&](int done) { return ReceiveSome(socket, data + done, count - done); });
}

}  // namespace vocelink
