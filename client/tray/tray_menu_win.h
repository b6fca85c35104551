#pragma once

#include <windows.h>

namespace mirelo {

// The tray icon's callback: a right click opens the context menu built afresh from the settings.
// Returns true when the message was for the client's icon.
bool HandleTrayMessage(HWND frame, UINT iconId, UINT mouseMessage);

}  // namespace mirelo
