#pragma once

#include "reception/dispatch_win.h"
#include "reception/tcp_assembler.h"
#include "win/async_socket.h"

#include <list>
#include <memory>
#include <vector>
#include <string>
#include <string_view>

namespace mirelo {

class CNotifyClient;

// The UDP socket on ListenPort: notifications from the server, commands from the local messenger.
class CNotifySocket final : public win::AsyncSocket {
public:
    explicit CNotifySocket(CNotifyClient& owner) : owner_(owner) {}
    // Binds the port; a failure is shown to the user and the client runs without receiving.
    void Open(int port);

protected:
    void OnReceive(int error) override;

private:
    CNotifyClient& owner_;
    CDispatcher dispatcher_;
};

class CNotifyAcceptedSocket;

// The TCP listener of ListenMode 1: one accepted connection per message. Owns the connections and
// keeps them within the bounds of TcpReception.
class CNotifyListenSocket final : public win::AsyncSocket {
public:
    explicit CNotifyListenSocket(CNotifyClient& owner) : owner_(owner) {}
    ~CNotifyListenSocket() override;

    // Bytes received on a connection: reassembles, dispatches a complete message, closes what must go.
    // False when the connection itself went (and its object with it).
    bool Receive(CNotifyAcceptedSocket& connection, std::string_view bytes);
    // Closes and deletes a connection.
    void Release(CNotifyAcceptedSocket* connection);

protected:
    void OnAccept(int error) override;
    void OnTick(unsigned nowMs) override;
    void OnDeferred() override;

private:
    struct Finished {
        MessageHeader header;
        std::string payload;
    };

    void Release(TcpReception::Id id, const char* why);
    void AcceptWaiting();
    // Hands the messages that finished together to the dispatcher, the newest last.
    void DeliverFinished();

    CNotifyClient& owner_;
    CDispatcher dispatcher_;
    TcpReception reception_;
    std::vector<Finished> finished_;
    bool deliveryQueued_ = false;
    bool acceptWaiting_ = false;  // connections wait in the system's queue for a place
    TcpReception::Id nextId_ = 1;
    std::list<std::unique_ptr<CNotifyAcceptedSocket>> connections_;
};

// One accepted connection carrying one message.
class CNotifyAcceptedSocket final : public win::AsyncSocket {
public:
    CNotifyAcceptedSocket(CNotifyListenSocket& listener, TcpReception::Id id) : listener_(listener), id_(id) {}

    TcpReception::Id Id() const { return id_; }

protected:
    void OnReceive(int error) override;
    void OnClose(int error) override;

private:
    CNotifyListenSocket& listener_;
    const TcpReception::Id id_;
};

}  // namespace mirelo
