#include "reception/notify_client_win.h"

#include "core/settings_win.h"
#include "reception/notify_sockets_win.h"
#include "reception/quiet_win.h"
#include "store/received_list_win.h"
#include "tray/tray_frame_win.h"
#include "win/log.h"

#include <cstring>

namespace mirelo {

using win::Log;

namespace {

// The short form of the icon record that every shell version accepts: 488 bytes in 32-bit programs.
constexpr DWORD kIconRecordSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(sizeof(void*) != 4 || kIconRecordSize == 488);
// Connections the system queues until they are accepted. The server opens one per notification:
// with a queue of 5 a burst found it full, and the refused senders retried after 1, 3, 7, 15...
// seconds, so the notifications came in up to a minute late or not at all.
constexpr int kListenBacklog = SOMAXCONN;

}  // namespace

CNotifyClient::CNotifyClient() = default;

CNotifyClient::~CNotifyClient() { Destroy(); }

bool CNotifyClient::Create(HWND owner, UINT iconId, const char* tip, int iconResource, UINT callbackMessage) {
    Log("CNotifyClient - Create");
    ClientSettings& settings = Settings();
    owner_ = owner;
    if (!settings.ListenMode) {
        if (!socket_) {
            Log("CNotifyClient - CNotifySocket");
            socket_ = std::make_unique<CNotifySocket>(*this);
            socket_->Open(settings.ListenPort);
        }
    } else if (!listenSocket_) {
        Log("CNotifyClient - CNotifyListenSocket");
        listenSocket_ = std::make_unique<CNotifyListenSocket>(*this);
        if (!listenSocket_->CreateListener(settings.ListenPort, kListenBacklog)) {
            Log("listening on TCP port %d failed: %s\n", settings.ListenPort,
                win::ErrorText(win::AsyncSocket::LastError()).c_str());
        }
    }

    // The messenger listens on the port above ours on this machine; resolve it once.
    if (const hostent* host = gethostbyname("localhost"); host != nullptr && host->h_length == 4) {
        messenger_.sin_family = AF_INET;
        std::memcpy(&messenger_.sin_addr, host->h_addr_list[0], 4);
        messenger_.sin_port = htons(static_cast<u_short>(settings.ListenPort + 1));
        messengerKnown_ = true;
    }

    icon_.cbSize = kIconRecordSize;
    icon_.hWnd = owner;
    icon_.uID = iconId;
    icon_.uCallbackMessage = callbackMessage;
    icon_.hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconResource), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_DEFAULTCOLOR | LR_SHARED));
    icon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    lstrcpynA(icon_.szTip, tip, sizeof(icon_.szTip));
    if (!AddTrayIcon()) return false;
    // Its window blinks the icon and hears of a new taskbar; made once the icon is in place, since
    // start-up is done when the icon shows and the port listens.
    trayFrame_ = std::make_unique<CTrayFrame>(*this);
    if (!trayFrame_->CreateHidden()) {
        Log("tray frame could not be created\n");
        RemoveTrayIcon();
        return false;
    }
    return true;
}

bool CNotifyClient::AddTrayIcon() {
    const bool added = Shell_NotifyIconA(NIM_ADD, &icon_) != FALSE;
    Log("tray icon %s: id %u, tip \"%s\"\n", added ? "added" : "not added", icon_.uID, icon_.szTip);
    return added;
}

void CNotifyClient::ShowTrayIcon(HICON icon) {
    NOTIFYICONDATAA change = icon_;
    change.uFlags = NIF_ICON;
    change.hIcon = icon;
    Shell_NotifyIconA(NIM_MODIFY, &change);
}

void CNotifyClient::RemoveTrayIcon() {
    if (icon_.hWnd == nullptr) return;
    NOTIFYICONDATAA removal = icon_;
    removal.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &removal);
}

void CNotifyClient::Destroy() {
    if (trayFrame_) {
        if (trayFrame_->Handle() != nullptr) SendMessageA(trayFrame_->Handle(), WM_CLOSE, 0, 0);
        trayFrame_.reset();
    }
    RemoveTrayIcon();
    icon_.hWnd = nullptr;
    // The signed-in user stays in the settings, so that the save at exit keeps it.
    userId_.clear();
    socket_.reset();
    listenSocket_.reset();
    quiet_.reset();
    receivedList_.reset();
}

CReceivedListOwner& CNotifyClient::ReceivedList() {
    if (!receivedList_) receivedList_ = std::make_unique<CReceivedListOwner>();
    return *receivedList_;
}

CQuietHold& CNotifyClient::Quiet() {
    if (!quiet_) quiet_ = std::make_unique<CQuietHold>();
    return *quiet_;
}

void CNotifyClient::SetUserId(const std::string& userId) {
    userId_ = userId;
    Settings().UserID = userId;
}

void CNotifyClient::ForwardToMessenger(const char* data, int length) {
    if (!socket_ || !messengerKnown_ || data == nullptr) return;
    const int size = length < 0 ? static_cast<int>(std::strlen(data)) : length;
    socket_->SendTo(data, size, messenger_);
}

void CNotifyClient::StartBlink() {
    if (trayFrame_) trayFrame_->StartBlink();
}

}  // namespace mirelo
