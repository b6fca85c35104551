#include "reception/notify_sockets_win.h"

#include "core/main_frame_win.h"
#include "messenger/messenger_win.h"
#include "reception/dispatch_win.h"
#include "reception/xml_batch_win.h"
#include "web/refresh_win.h"
#include "reception/notify_client_win.h"
#include "resources/string_ids.h"
#include "win/log.h"
#include "win/message_box.h"
#include "win/resources.h"

#include <cstdio>

namespace mirelo {

using win::Log;

namespace {

constexpr int kReceiveBufferSize = 4096;
constexpr unsigned kIdleConnectionMs = 10000;
constexpr std::size_t kMaxConnections = 64;

bool IsLoopback(const sockaddr_in& from) { return (ntohl(from.sin_addr.s_addr) >> 24) == 127; }

// A receive error is reported once at a time: a peer that keeps failing cannot stack up boxes.
void ShowReceiveError() {
    static bool showing = false;
    if (showing) return;
    showing = true;
    win::ShowMessageBox(nullptr, "Error occurred", MB_OK);
    showing = false;
}

}  // namespace

void CNotifySocket::Open(int port) {
    if (CreateDatagram(port)) {
        Log("listening for notifications on UDP port %d\n", port);
        return;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "Error Number : %d", LastError());
    win::ShowMessageBox(nullptr, text, MB_OK, win::LoadText(IDS_NOTIFY_CAPTION));
}

void CNotifySocket::OnReceive(int) {
    char buffer[kMaxDatagramSize + 1];
    sockaddr_in from{};
    const int received = ReceiveFrom(buffer, static_cast<int>(kMaxDatagramSize), &from);
    if (received <= 0) return;
    buffer[received] = '\0';
    const std::string_view datagram(buffer, static_cast<std::size_t>(received));

    const DatagramDecision decision = ClassifyDatagram(datagram, IsLoopback(from));
    switch (decision.action) {
        case DatagramAction::Messenger: HandleMessengerMessage(datagram); break;
        case DatagramAction::EndMessage:
            Log("end message received\n");
            PostExitRequest(1);
            break;
        case DatagramAction::Dispatch:
            dispatcher_.Dispatch(decision.header.kind, buffer + kHeaderSize, decision.header.length);
            owner_.ForwardToMessenger(buffer, received);
            StartRefreshThread(decision.header.kind);
            break;
        case DatagramAction::Drop: Log("datagram of %d bytes dropped\n", received); break;
    }
}

CNotifyListenSocket::~CNotifyListenSocket() { connections_.clear(); }

void CNotifyListenSocket::OnAccept(int) {
    auto connection = std::make_unique<CNotifyAcceptedSocket>(*this);
    if (!connection->AcceptFrom(*this)) return;
    if (connections_.size() >= kMaxConnections) {
        Log("too many open connections: one refused\n");
        return;  // the connection closes with its object
    }
    connections_.push_back(std::move(connection));
}

void CNotifyListenSocket::Release(CNotifyAcceptedSocket* connection) {
    connections_.remove_if([connection](const auto& owned) { return owned.get() == connection; });
}

void CNotifyAcceptedSocket::OnReceive(int) {
    char buffer[kReceiveBufferSize];
    const int received = Receive(buffer, kReceiveBufferSize - 1);
    if (received == SOCKET_ERROR) {
        const int error = LastError();
        if (error == WSAEWOULDBLOCK) return;
        Log("receive failed: %s\n", win::ErrorText(error).c_str());
        Finish();
        ShowReceiveError();  // the connection object is gone by now
        return;
    }
    if (received == 0) {
        Finish();
        return;
    }
    lastActivity_ = GetTickCount();
    switch (assembler_.Feed(std::string_view(buffer, static_cast<std::size_t>(received)))) {
        case TcpMessageAssembler::Event::EndMessage:
            ShutdownSend();
            Log("end message received\n");
            PostExitRequest(1);
            break;
        case TcpMessageAssembler::Event::Complete: {
            ShutdownSend();
            const MessageHeader header = assembler_.Header();
            if (header.kind == kKindXmlBatch) {
                ReadXmlBatch(assembler_.Payload());
            } else {
                dispatcher_.Dispatch(header.kind, assembler_.Payload().data(), header.length);
            }
            break;
        }
        case TcpMessageAssembler::Event::Malformed:
            Log("connection with a malformed header closed\n");
            Finish();
            break;
        case TcpMessageAssembler::Event::None: break;
    }
}

void CNotifyAcceptedSocket::OnClose(int) { Finish(); }

void CNotifyAcceptedSocket::OnTick(unsigned nowMs) {
    if (lastActivity_ == 0) lastActivity_ = nowMs;
    if (nowMs - lastActivity_ < kIdleConnectionMs) return;
    Log("idle connection closed\n");
    Finish();
}

void CNotifyAcceptedSocket::Finish() {
    Close();
    listener_.Release(this);  // deletes this object: nothing may follow
}

}  // namespace mirelo
