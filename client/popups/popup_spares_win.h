#pragma once

#include <windows.h>

namespace mirelo {

// Hidden windows of the pop-up templates, made ahead while no notification waits: creating a
// dialog and its controls is most of what a pop-up costs before it shows. Each is used once, by
// the next pop-up of its template, and made again afterwards.

// The hidden spare window of the template, with its caption back, or null when there is none.
// The caller owns it from here on.
HWND TakeSpareWindow(int templateId);

// Makes the missing spare windows now; when a notification waits, later, once none does.
void PrepareSpareWindows();

// Makes the missing spare windows after the delay, when the thread has nothing else to do.
void PrepareSpareWindowsLater(UINT delayMs);

}  // namespace mirelo
