#pragma once

#include <winsock2.h>

#include <string>

namespace mirelo::win {

// A socket whose events (read, accept, close) arrive as window messages on the thread that made
// it, through WSAAsyncSelect, and are delivered to the OnXxx members. The object may delete itself
// inside a handler.
class AsyncSocket {
public:
    AsyncSocket() = default;
    virtual ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // A datagram socket bound to the port on every local address.
    bool CreateDatagram(int port);
    // A stream socket bound to the port on every local address, listening.
    bool CreateListener(int port, int backlog);
    // Whether a read (or, on a listener, an accept) would find something now, without waiting.
    // True as well when that cannot be told.
    bool Readable() const;
    // Accepts the pending connection of a listener into this object.
    bool AcceptFrom(AsyncSocket& listener);

    int ReceiveFrom(char* buffer, int size, sockaddr_in* from);
    int Receive(char* buffer, int size);
    bool SendTo(const void* data, int size, const sockaddr_in& to);
    void ShutdownSend();
    // Has OnDeferred called once the socket events already waiting in the queue are delivered;
    // false when it could not be queued.
    bool PostDeferred();
    void Close();

    // The receive buffer the system actually granted (it may cap what was asked for); 0 when unknown.
    int ReceiveBufferBytes() const;
    SOCKET Handle() const { return socket_; }
    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    // The error of the last failed call on this thread, as WSAGetLastError reports it.
    static int LastError();

protected:
    virtual void OnReceive(int error) {}
    virtual void OnAccept(int error) {}
    virtual void OnClose(int error) {}
    virtual void OnDeferred() {}
    // Called about once a second while the socket is open.
    virtual void OnTick(unsigned nowMs) {}

private:
    friend class SocketWindow;
    bool Attach(SOCKET s, long events);

    SOCKET socket_ = INVALID_SOCKET;
};

// Whether an event of a socket of this thread waits in its message queue (a datagram, say).
bool SocketEventsWaiting();

// Text for a Winsock or Win32 error code, for the log.
std::string ErrorText(int code);

}  // namespace mirelo::win
