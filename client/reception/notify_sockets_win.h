#pragma once

#include "reception/dispatch_win.h"
#include "reception/tcp_assembler.h"
#include "win/async_socket.h"

#include <list>
#include <memory>

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

// The TCP listener of ListenMode 1: one accepted connection per message.
class CNotifyListenSocket final : public win::AsyncSocket {
public:
    explicit CNotifyListenSocket(CNotifyClient& owner) : owner_(owner) {}
    ~CNotifyListenSocket() override;

    void Release(CNotifyAcceptedSocket* connection);

protected:
    void OnAccept(int error) override;

private:
    CNotifyClient& owner_;
    std::list<std::unique_ptr<CNotifyAcceptedSocket>> connections_;
};

// One accepted connection carrying one message.
class CNotifyAcceptedSocket final : public win::AsyncSocket {
public:
    explicit CNotifyAcceptedSocket(CNotifyListenSocket& listener) : listener_(listener) {}

protected:
    void OnReceive(int error) override;
    void OnClose(int error) override;
    void OnTick(unsigned nowMs) override;

private:
    void Finish();

    CNotifyListenSocket& listener_;
    CDispatcher dispatcher_;
    TcpMessageAssembler assembler_;
    unsigned lastActivity_ = 0;
};

}  // namespace mirelo
