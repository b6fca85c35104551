#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace mirelo {

// Sends a text to the messenger (up to its first NUL). Failures are swallowed.
void SendPresence(const std::string& text);

// Handles one "@" datagram from the local messenger, reading only its received bytes.
void HandleMessengerMessage(std::string_view datagram);

// Makes sure the messenger program runs: starts BrennicCMD and waits up to 5 s for its window.
void StartMessenger();

// The tray menu's Status entries, LogOn and LogOut (command ids 32784-32792).
bool HandleMessengerCommand(int command);

// The messenger's main window, or null.
HWND FindMessengerWindow();

}  // namespace mirelo
