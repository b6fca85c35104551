#pragma once

#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

namespace mirelo {

class CTrayFrame;
class CNotifySocket;
class CNotifyListenSocket;
class CReceivedListOwner;
class CQuietHold;

// Owns the tray icon and the receiving socket of the selected mode (UDP by default, TCP listener
// with ListenMode), and relays accepted datagrams to the local messenger.
class CNotifyClient {
public:
    CNotifyClient();
    ~CNotifyClient();
    CNotifyClient(const CNotifyClient&) = delete;
    CNotifyClient& operator=(const CNotifyClient&) = delete;

    // Creates the receiver, the tray frame and the icon; the result is whether the icon was added.
    bool Create(HWND owner, UINT iconId, const char* tip, int iconResource, UINT callbackMessage);
    void Destroy();

    void SetUserId(const std::string& userId);
    // Sends bytes as one datagram to the messenger on localhost, ListenPort + 1. A negative length
    // means: up to the terminating NUL. Failures are swallowed.
    void ForwardToMessenger(const char* data, int length);

    void StartBlink();
    bool AddTrayIcon();
    void ShowTrayIcon(HICON icon);
    void RemoveTrayIcon();
    UINT IconId() const { return icon_.uID; }
    // The received-list window and its items, shared by every receiving socket.
    CReceivedListOwner& ReceivedList();
    // The notifications held while the user presents, shared like the received list.
    CQuietHold& Quiet();

private:
    NOTIFYICONDATAA icon_{};
    std::unique_ptr<CTrayFrame> trayFrame_;
    HWND owner_ = nullptr;
    std::string userId_;
    std::unique_ptr<CNotifySocket> socket_;
    std::unique_ptr<CNotifyListenSocket> listenSocket_;
    std::unique_ptr<CReceivedListOwner> receivedList_;
    std::unique_ptr<CQuietHold> quiet_;
    sockaddr_in messenger_{};
    bool messengerKnown_ = false;
};

}  // namespace mirelo
