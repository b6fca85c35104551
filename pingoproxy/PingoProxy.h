/*
 * PingoProxy: hands a numeric code and an optional text to every notifier window on the desktop.
 *
 * A notifier window is any window, top-level or child, whose class name contains "QXPingoMsgWnd"
 * (case-sensitive). Programs of the suite own such windows to learn of events from the notification
 * client; what a code means to them is theirs to decide.
 *
 * Calling convention and linking
 *   PingoProxy.dll is a 32-bit x86 library that needs only user32. Its functions are __stdcall and
 *   exported under their plain names, so GetProcAddress(module, "PingoSendMessage") finds it; programs
 *   built with mingw-w64 can also link its import library.
 *
 * int PingoSendMessage(int code, const char* text)
 *   Walks the whole window tree from the desktop: every window's descendants are visited before the
 *   window itself, siblings in z-order. The first 10 notifier windows found receive, in that order, a
 *   WM_COPYDATA sent with SendMessageA (wParam 0) whose COPYDATASTRUCT holds
 *     dwData  the code;
 *     cbData  strlen(text) + 1 (the terminating NUL is sent), or 0 when text is NULL;
 *     lpData  the text, or NULL when text is NULL.
 *   Returns 0 when no notifier window exists (nothing is sent), else 1 after every send. The replies of
 *   the receivers are ignored.
 *
 * int PingoSendMessages(const int* codes, int count, const char* text)
 *   The same for `count` codes with one search of the desktop: each window found receives one
 *   WM_COPYDATA per code, the codes in their order, the windows in the order above for each code. A
 *   window that has not answered within 5 seconds (or is gone) receives nothing more of this call, so a
 *   hung receiver holds its caller for at most that long per window. Returns 0 when no notifier window
 *   exists or `count` is not positive, else 1. For a caller with many codes to hand over: the search
 *   walks every window of the desktop, and its cost grows with them.
 *
 * Threads
 *   Both functions may be called from any thread at the same time. Only one search of the desktop runs
 *   at a time; the sends of different callers may overlap. Each send blocks the calling thread until
 *   the receiver has handled the message (PingoSendMessages: or its time is up), so a receiver that
 *   hangs holds its caller: call from a thread of its own where that matters.
 *
 * Results
 *   Neither function throws nor shows anything.
 */
#ifndef PINGOPROXY_H
#define PINGOPROXY_H

#if defined(_WIN32)
#define PINGOPROXY_CALL __stdcall
#else
#define PINGOPROXY_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

int PINGOPROXY_CALL PingoSendMessage(int code, const char* text);
int PINGOPROXY_CALL PingoSendMessages(const int* codes, int count, const char* text);

#ifdef __cplusplus
}
#endif

#endif
