#include "win/async_socket.h"

#include <windows.h>

#include <map>

#include "win/log.h"

namespace mirelo::win {

namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr UINT kDeferredMessage = WM_APP + 2;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;
constexpr char kSocketWindowClass[] = "MireloSocketWindow";

}  // namespace

// One hidden message-only window per process routes socket events to their objects.
class SocketWindow {
public:
    static SocketWindow& Instance() {
        static SocketWindow instance;
        return instance;
    }

    bool Register(SOCKET s, AsyncSocket* owner, long events) {
        if (hwnd_ == nullptr && !Create()) return false;
        if (WSAAsyncSelect(s, hwnd_, kSocketMessage, events) != 0) return false;
        sockets_[s] = owner;
        return true;
    }

    bool PostDeferred(SOCKET s, AsyncSocket* owner) {
        return hwnd_ != nullptr && PostMessageA(hwnd_, kDeferredMessage, static_cast<WPARAM>(s),
                                                reinterpret_cast<LPARAM>(owner)) != FALSE;
    }

    void Unregister(SOCKET s) {
        if (hwnd_ != nullptr) WSAAsyncSelect(s, hwnd_, 0, 0);
        sockets_.erase(s);
    }

private:
    bool Create() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &SocketWindow::Procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kSocketWindowClass;
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, kSocketWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        if (hwnd_ != nullptr) SetTimer(hwnd_, kTickTimer, kTickMs, nullptr);
        return hwnd_ != nullptr;
    }

    AsyncSocket* Find(SOCKET s) const {
        const auto it = sockets_.find(s);
        return it == sockets_.end() ? nullptr : it->second;
    }

    void Deliver(SOCKET s, int event, int error) {
        AsyncSocket* target = Find(s);
        if (target == nullptr) return;  // closed while the event was queued
        switch (event) {
            case FD_READ: target->OnReceive(error); break;
            case FD_ACCEPT: target->OnAccept(error); break;
            case FD_CLOSE: target->OnClose(error); break;
            default: break;
        }
    }

    void Tick() {
        const unsigned now = GetTickCount();
        // A handler may close or delete sockets: walk a copy and skip the ones that went.
        const auto snapshot = sockets_;
        for (const auto& [s, owner] : snapshot) {
            if (Find(s) == owner) owner->OnTick(now);
        }
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        try {
            if (message == kSocketMessage) {
                Instance().Deliver(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
                return 0;
            }
            if (message == kDeferredMessage) {
                auto* owner = reinterpret_cast<AsyncSocket*>(lParam);
                // Closed since: another socket may have taken the handle.
                if (Instance().Find(static_cast<SOCKET>(wParam)) == owner) owner->OnDeferred();
                return 0;
            }
            if (message == WM_TIMER && wParam == kTickTimer) {
                Instance().Tick();
                return 0;
            }
        } catch (...) {
            Log("socket event %u failed\n", message);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    std::map<SOCKET, AsyncSocket*> sockets_;
};

namespace {

void CloseKeepingError(SOCKET s) {
    const int error = WSAGetLastError();
    closesocket(s);
    WSASetLastError(error);
}

SOCKET BoundSocket(int type, int protocol, int port) {
    const SOCKET s = socket(AF_INET, type, protocol);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        CloseKeepingError(s);
        return INVALID_SOCKET;
    }
    return s;
}

}  // namespace

AsyncSocket::~AsyncSocket() { Close(); }

bool AsyncSocket::Attach(SOCKET s, long events) {
    if (!SocketWindow::Instance().Register(s, this, events)) {
        CloseKeepingError(s);
        return false;
    }
    socket_ = s;
    return true;
}

bool AsyncSocket::CreateDatagram(int port) {
    Close();
    const SOCKET s = BoundSocket(SOCK_DGRAM, IPPROTO_UDP, port);
    if (s == INVALID_SOCKET) return false;
    // Bursts of notifications must not overflow the default receive buffer.
    int bufferSize = 1 << 20;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bufferSize), sizeof(bufferSize));
    return Attach(s, FD_READ | FD_CLOSE);
}

bool AsyncSocket::CreateListener(int port, int backlog) {
    Close();
    const SOCKET s = BoundSocket(SOCK_STREAM, IPPROTO_TCP, port);
    if (s == INVALID_SOCKET) return false;
    if (listen(s, backlog) != 0) {
        CloseKeepingError(s);
        return false;
    }
    return Attach(s, FD_ACCEPT);
}

bool AsyncSocket::Readable() const {
    if (!IsOpen()) return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval now{0, 0};
    // Should select itself fail, the read is tried: the caller finds out from it.
    return select(0, &readable, nullptr, nullptr, &now) != 0;
}

bool AsyncSocket::AcceptFrom(AsyncSocket& listener) {
    Close();
    const SOCKET s = accept(listener.socket_, nullptr, nullptr);
    if (s == INVALID_SOCKET) return false;
    return Attach(s, FD_READ | FD_CLOSE);
}

int AsyncSocket::ReceiveFrom(char* buffer, int size, sockaddr_in* from) {
    int fromLength = sizeof(sockaddr_in);
    return recvfrom(socket_, buffer, size, 0, reinterpret_cast<sockaddr*>(from), &fromLength);
}

int AsyncSocket::ReceiveBufferBytes() const {
    int size = 0;
    int length = sizeof(size);
    if (getsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &length) != 0) return 0;
    return size;
}

int AsyncSocket::Receive(char* buffer, int size) { return recv(socket_, buffer, size, 0); }

bool AsyncSocket::SendTo(const void* data, int size, const sockaddr_in& to) {
    return sendto(socket_, static_cast<const char*>(data), size, 0, reinterpret_cast<const sockaddr*>(&to),
                  sizeof(to)) == size;
}

bool AsyncSocket::PostDeferred() { return IsOpen() && SocketWindow::Instance().PostDeferred(socket_, this); }

void AsyncSocket::ShutdownSend() {
    if (IsOpen()) shutdown(socket_, SD_SEND);
}

void AsyncSocket::Close() {
    if (!IsOpen()) return;
    SocketWindow::Instance().Unregister(socket_);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

int AsyncSocket::LastError() { return WSAGetLastError(); }

bool SocketEventsWaiting() {
    MSG message{};
    return PeekMessageA(&message, nullptr, kSocketMessage, kSocketMessage, PM_NOREMOVE | PM_NOYIELD) != FALSE;
}

std::string ErrorText(int code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
        result.pop_back();
    }
    return std::to_string(code) + (result.empty() ? "" : " (" + result + ")");
}

}  // namespace mirelo::win
