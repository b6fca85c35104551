#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"

namespace mirelo {

// Hands a request to open a page to the business applications of the suite on this desktop: the first
// 10 top-level windows of class "QXNotifyBiz" in z-order each receive a WM_COPYDATA with dwData = type
// and the payload of BuildSendDataPayload. Blocks until every receiver has handled it; logs each step.
void SendData(int type, const std::string& functionName, const std::string& callUrl);

// True when a top-level window of class "QXNotifyBiz" exists.
bool IsBizAppPresent();

// Tells every notifier window of the desktop the code through PingoSendMessage (no text), on a thread
// of its own so that a slow receiver never holds the caller. The thread's handle may be ignored (it is
// closed then); nobody needs to wait on it. An empty handle means the thread could not be started.
win::UniqueKernelHandle NotifyLocalApps(int code);

}  // namespace mirelo
