#include "messenger/messenger_win.h"

#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "messenger/messenger_protocol.h"
#include "reception/notify_client_win.h"
#include "resources/string_ids.h"
#include "tray/tray_menu.h"
#include "win/log.h"
#include "win/message_box.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

namespace {

constexpr int kStartChecks = 50;
constexpr DWORD kStartCheckIntervalMs = 100;

void ShowStartFailure(int textId) { win::ShowMessageBox(nullptr, win::LoadText(textId), MB_OK | MB_ICONHAND); }

void LogOn() {
    StartMessenger();
    if (const HWND messenger = FindMessengerWindow()) {
        BringWindowToTop(messenger);
        if (!Settings().MessengerAlwaysOnTop) {
            SetWindowPos(messenger, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
        SetFocus(messenger);
    }
    SendPresence(kMessengerLogOn);
}

}  // namespace

HWND FindMessengerWindow() {
    // By the wide title, so that the Korean name is found whatever the ANSI code page is.
    return FindWindowW(nullptr, win::LoadTextWide(IDS_MESSENGER_TITLE).c_str());
}

void SendPresence(const std::string& text) {
    Log("to messenger: %s\n", text.c_str());
    if (CNotifyClient* client = NotifyClient()) client->ForwardToMessenger(text.c_str(), -1);
}

void StartMessenger() {
    if (FindMessengerWindow() != nullptr) return;
    ClientSettings& settings = Settings();
    std::string commandLine = settings.BrennicCMD;
    if (settings.LoginToMessanger) {
        const auto& logins = settings.MessengerLoginTexts;
        if (logins[0].empty() || logins[1].empty()) {
            ShowStartFailure(IDS_MESSENGER_LOGIN_FAILED);
            return;
        }
        commandLine += " " + logins[0] + " " + logins[1];
    }
    const UINT started = WinExec(commandLine.c_str(), SW_SHOW);
    Log("messenger start: \"%s\" gave %u\n", commandLine.c_str(), started);
    if (started <= 31) {
        ShowStartFailure(IDS_MESSENGER_START_FAILED);
        return;
    }
    for (int check = 0; check < kStartChecks && FindMessengerWindow() == nullptr; ++check) {
        Sleep(kStartCheckIntervalMs);
    }
}

bool HandleMessengerCommand(int command) {
    if (const auto code = PresenceCode(command)) {
        // The check mark moves when the messenger answers with the new presence.
        SendPresence(PresenceText(*code));
        return true;
    }
    if (command == kCmdLogOn) {
        LogOn();
        return true;
    }
    if (command == kCmdLogOut) {
        SendPresence(kMessengerLogOut);
        return true;
    }
    return false;
}

void HandleMessengerMessage(std::string_view datagram) {
    ClientSettings& settings = Settings();
    const MessengerCommand command = ParseMessengerCommand(datagram);
    switch (command.kind) {
        case MessengerCommand::Kind::Presence:
            ApplyPresenceCode(command.presenceCode, settings.PresenceStatus, settings.MessengerOnline);
            Log("messenger presence %s: status %d, online %d\n", command.presenceCode.c_str(), settings.PresenceStatus,
                settings.MessengerOnline ? 1 : 0);
            break;
        case MessengerCommand::Kind::Blink:
            Log("messenger: blink\n");
            if (CNotifyClient* client = NotifyClient()) client->StartBlink();
            break;
        case MessengerCommand::Kind::SignOut:
            Log("messenger: signed out\n");
            if (CNotifyClient* client = NotifyClient()) client->SetUserId("");
            break;
        case MessengerCommand::Kind::AlwaysOnTop:
            if (const HWND messenger = FindMessengerWindow()) {
                SetWindowPos(messenger, command.onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE);
                settings.MessengerAlwaysOnTop = command.onTop;
            }
            Log("messenger: always on top %d\n", command.onTop ? 1 : 0);
            break;
        case MessengerCommand::Kind::Reload:
            settings.Reload();
            Log("messenger: settings reloaded\n");
            break;
        case MessengerCommand::Kind::SignIn:
            if (CNotifyClient* client = NotifyClient()) client->SetUserId(command.userId);
            settings.UserID = command.userId;
            settings.BaseURL = command.baseUrl;
            settings.PresenceStatus = kPresenceOnlineId;
            settings.MessengerOnline = true;
            Log("messenger: signed in as %s, %s\n", command.userId.c_str(), command.baseUrl.c_str());
            break;
        case MessengerCommand::Kind::Ignored: Log("messenger text ignored\n"); break;
    }
}

}  // namespace mirelo
