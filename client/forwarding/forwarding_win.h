#pragma once

#include <windows.h>

#include <string>

namespace mirelo {

// Hands a request to open a page to the business applications of the suite on this desktop: the first
// 10 top-level windows of class "QXNotifyBiz" in z-order each receive a WM_COPYDATA with dwData = type
// and the payload of BuildSendDataPayload. Blocks until every receiver has handled it; logs each step.
void SendData(int type, const std::string& functionName, const std::string& callUrl);

// True when a top-level window of class "QXNotifyBiz" exists.
bool IsBizAppPresent();

// Tells every notifier window of the desktop the code through PingoProxy (no text), on the one
// forwarding worker, so that a slow receiver never holds the caller. Codes queued while the worker is
// busy go together with one search of the desktop; every window receives its codes in the order of
// the calls. False when the code was not queued (the worker has been held so long that the queue is
// full), which is logged.
bool NotifyLocalApps(int code);

// Waits until every queued code has been handed over, at most `milliseconds`; true when it was.
bool WaitForLocalApps(DWORD milliseconds);

}  // namespace mirelo
