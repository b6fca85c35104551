#include "reception/notify_sockets_win.h"

#include "core/main_frame_win.h"
#include "messenger/messenger_win.h"
#include "popups/popup_win.h"
#include "reception/dispatch_plan.h"
#include "reception/dispatch_win.h"
#include "reception/xml_batch_win.h"
#include "web/refresh_win.h"
#include "reception/notify_client_win.h"
#include "resources/string_ids.h"
#include "win/log.h"
#include "win/message_box.h"
#include "win/resources.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace mirelo {

using win::Log;

namespace {

constexpr int kReceiveBufferSize = 4096;
// Datagrams read per read event: a backlog of a few seconds' flood, and a bound on one event's work.
constexpr std::size_t kMaxDatagramsPerRead = 256;

bool IsLoopback(const sockaddr_in& from) { return (ntohl(from.sin_addr.s_addr) >> 24) == 127; }

// A receive error is reported once at a time: a peer that keeps failing cannot stack up boxes.
void ShowReceiveError() {
    static bool showing = false;
    if (showing) return;
    showing = true;
    win::ShowMessageBox(nullptr, "Error occurred", MB_OK);
    showing = false;
}

// A burst whose older notifications give their pop-ups way to the newest.
void LogBurst(std::size_t notifications) {
    if (notifications > kBurstPoppingUp) {
        Log("%u notifications waiting at once: only the newest pops up\n", static_cast<unsigned>(notifications));
    }
}

}  // namespace

void CNotifySocket::Open(int port) {
    if (CreateDatagram(port)) {
        Log("listening for notifications on UDP port %d\n", port);
        Log("UDP receive buffer: %d bytes\n", ReceiveBufferBytes());
        return;
    }
    char text[64];
    std::snprintf(text, sizeof(text), "Error Number : %d", LastError());
    win::ShowMessageBox(nullptr, text, MB_OK, win::LoadText(IDS_NOTIFY_CAPTION));
}

void CNotifySocket::OnReceive(int) {
    // Everything waiting is read first, so that a backlog shows as one: its older notifications give
    // their pop-ups way to the newest (creating a pop-up costs far more than all the rest), and the
    // whole backlog is taken in before the system's buffer can overflow.
    struct Received {
        std::string bytes;
        DatagramDecision decision;
    };
    std::vector<Received> batch;
    std::size_t notifications = 0;
    char buffer[kMaxDatagramSize + 1];
    for (std::size_t reads = 0; reads < kMaxDatagramsPerRead; ++reads) {
        sockaddr_in from{};
        const int received = ReceiveFrom(buffer, static_cast<int>(kMaxDatagramSize), &from);
        if (received == SOCKET_ERROR && LastError() == WSAEMSGSIZE) continue;  // too long: dropped
        if (received == SOCKET_ERROR) break;
        if (received == 0) continue;
        const std::string_view datagram(buffer, static_cast<std::size_t>(received));
        const DatagramDecision decision = ClassifyDatagram(datagram, IsLoopback(from));
        if (decision.action == DatagramAction::Dispatch) ++notifications;
        batch.push_back({std::string(datagram), decision});
    }
    LogBurst(notifications);
    std::size_t index = 0;
    for (const Received& item : batch) {
        const std::string& datagram = item.bytes;
        const int size = static_cast<int>(datagram.size());
        switch (item.decision.action) {
            case DatagramAction::Messenger: HandleMessengerMessage(datagram); break;
            case DatagramAction::EndMessage:
                Log("end message received\n");
                PostExitRequest(1);
                break;
            case DatagramAction::Dispatch:
                dispatcher_.Dispatch(item.decision.header.kind, datagram.c_str() + kHeaderSize,
                                     item.decision.header.length, NewerWaiting(index++, notifications));
                owner_.ForwardToMessenger(datagram.c_str(), size);
                StartRefreshThread(item.decision.header.kind);
                break;
            case DatagramAction::Drop: Log("datagram of %d bytes dropped\n", size); break;
        }
    }
    // Timer messages wait while reading goes on: pop-ups whose time is up close now.
    CPopup::CloseOverdue();
}

CNotifyListenSocket::~CNotifyListenSocket() { connections_.clear(); }

void CNotifyListenSocket::OnAccept(int) { AcceptWaiting(); }

void CNotifyListenSocket::AcceptWaiting() {
    // Every connection waiting is taken while there is room: their messages are then read before
    // the first is delivered, and messages that came in together show as one burst. Without room
    // the rest stay in the system's queue until a place frees. The listener is never asked for a
    // connection it does not have (an accept event may be stale): after a failed accept the next
    // connection went unannounced.
    acceptWaiting_ = false;
    while (Readable()) {
        const unsigned now = GetTickCount();
        if (!reception_.CanAccept(now)) {
            acceptWaiting_ = true;
            return;
        }
        auto connection = std::make_unique<CNotifyAcceptedSocket>(*this, nextId_++);
        if (!connection->AcceptFrom(*this)) return;
        if (const auto evicted = reception_.Accept(connection->Id(), now)) {
            // A finished connection only waits for its peer to close: its message is kept.
            Release(evicted->id, evicted->finished ? "" : "connection without progress closed to admit a new one\n");
        }
        connections_.push_back(std::move(connection));
    }
}

void CNotifyListenSocket::OnTick(unsigned nowMs) {
    for (const TcpReception::Id id : reception_.Idle(nowMs)) Release(id, "idle connection closed\n");
    if (acceptWaiting_) AcceptWaiting();
}

bool CNotifyListenSocket::Receive(CNotifyAcceptedSocket& connection, std::string_view bytes) {
    using Event = TcpReception::Event;
    const TcpReception::Id id = connection.Id();
    const TcpReception::Received received = reception_.Receive(id, bytes, GetTickCount());
    for (const TcpReception::Id other : received.evicted) {
        Release(other, "connection closed: all connections together held too much\n");
    }
    switch (received.event) {
        case Event::EndMessage:
            connection.ShutdownSend();
            Log("end message received\n");
            PostExitRequest(1);
            break;
        case Event::Complete: {
            connection.ShutdownSend();
            const MessageHeader header = reception_.Message(id)->Header();
            // The payload leaves the connection: its bytes are freed once the message is handled.
            finished_.push_back({header, reception_.TakePayload(id)});
            // Delivered once the events already waiting are read: connections that finish together
            // show as one burst, as the datagrams read at once do.
            if (!deliveryQueued_) deliveryQueued_ = PostDeferred();
            if (!deliveryQueued_) DeliverFinished();
            break;
        }
        case Event::Malformed: Release(id, "connection with a malformed header closed\n"); break;
        case Event::TooLarge: {
            // Still listed, its header announced too much; gone, it held the most when all were full.
            char why[96] = "connection closed: all connections together held too much\n";
            if (const TcpMessageAssembler* message = reception_.Message(id)) {
                std::snprintf(why, sizeof(why), "connection announcing %d bytes closed: more than %u\n",
                              message->Header().length, static_cast<unsigned>(TcpLimits{}.messageBytes));
            }
            Release(id, why);
            break;
        }
        case Event::None:
        case Event::Ignored: break;
    }
    return reception_.Message(id) != nullptr;
}

void CNotifyListenSocket::Release(CNotifyAcceptedSocket* connection) {
    reception_.Remove(connection->Id());
    connections_.remove_if([connection](const auto& owned) { return owned.get() == connection; });
    if (acceptWaiting_) AcceptWaiting();
}

void CNotifyListenSocket::Release(TcpReception::Id id, const char* why) {
    const auto found =
        std::find_if(connections_.begin(), connections_.end(), [id](const auto& owned) { return owned->Id() == id; });
    if (found == connections_.end()) return;
    if (*why != '\0') Log("%s", why);
    Release(found->get());
}

void CNotifyListenSocket::OnDeferred() {
    deliveryQueued_ = false;
    DeliverFinished();
}

void CNotifyListenSocket::DeliverFinished() {
    const std::vector<Finished> finished = std::move(finished_);
    finished_.clear();
    const auto notifications = static_cast<std::size_t>(std::count_if(
        finished.begin(), finished.end(), [](const Finished& item) { return item.header.kind != kKindXmlBatch; }));
    LogBurst(notifications);
    std::size_t index = 0;
    for (const Finished& item : finished) {
        if (item.header.kind == kKindXmlBatch) {
            ReadXmlBatch(item.payload);
        } else {
            dispatcher_.Dispatch(item.header.kind, item.payload.data(), item.header.length,
                                 NewerWaiting(index++, notifications));
        }
    }
    CPopup::CloseOverdue();
}

void CNotifyAcceptedSocket::OnReceive(int) {
    char buffer[kReceiveBufferSize];
    const int received = AsyncSocket::Receive(buffer, kReceiveBufferSize - 1);
    if (received == SOCKET_ERROR) {
        const int error = LastError();
        if (error == WSAEWOULDBLOCK) return;
        Log("receive failed: %s\n", win::ErrorText(error).c_str());
        listener_.Release(this);
        ShowReceiveError();  // the connection object is gone by now
        return;
    }
    if (received == 0) {
        listener_.Release(this);  // deletes this object: nothing may follow
        return;
    }
    listener_.Receive(*this, std::string_view(buffer, static_cast<std::size_t>(received)));
}

void CNotifyAcceptedSocket::OnClose(int) {
    // What the peer sent last may still wait unread. Nothing to read at all means the event was
    // another connection's, closed since, whose handle this one took over: it changes nothing.
    char buffer[kReceiveBufferSize];
    for (;;) {
        const int received = AsyncSocket::Receive(buffer, kReceiveBufferSize - 1);
        if (received == SOCKET_ERROR && LastError() == WSAEWOULDBLOCK) return;
        if (received <= 0) {
            listener_.Release(this);  // deletes this object: nothing may follow
            return;
        }
        if (!listener_.Receive(*this, std::string_view(buffer, static_cast<std::size_t>(received)))) return;
    }
}

}  // namespace mirelo
