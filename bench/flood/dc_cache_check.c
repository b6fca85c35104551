/* dc-cache-check: a bare Win32 program that opens and closes windows on command, so that what its GDI
 * handle table holds afterwards can be compared with what Mirelo.exe holds after a flood of pop-ups.
 * It uses no GDI object of its own (but the bitmap it is told to make): whatever stays is the system's.
 *
 * Reads one command a line on stdin and answers each with one line on stdout:
 *   open N     opens N visible top-level windows with two push buttons each and draws them all
 *   close      destroys the windows it opened
 *   bitmap     makes one 1x1 bitmap, kept to the end: shows which table entry type a bitmap has
 *   quit       ends
 * Between commands it does not pump messages, so an inspector sees it exactly as it left it. */

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_WINDOWS 512

static HWND windows[MAX_WINDOWS];
static int window_count;

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        /* A painted window takes a device context of the system's cache, as every pop-up does. */
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static void Pump(void) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

static void Open(int count) {
    for (int i = 0; i < count && window_count < MAX_WINDOWS; ++i) {
        const int x = 20 + (window_count % 20) * 10;
        const int y = 20 + (window_count % 20) * 10;
        HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "DcCacheCheck", "dc-cache-check",
                                    WS_POPUP | WS_BORDER | WS_VISIBLE, x, y, 200, 100, NULL, NULL,
                                    GetModuleHandleA(NULL), NULL);
        if (hwnd == NULL) break;
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 60, 80, 24, hwnd, (HMENU)1,
                        GetModuleHandleA(NULL), NULL);
        CreateWindowExA(0, "BUTTON", "View", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 60, 80, 24, hwnd, (HMENU)2,
                        GetModuleHandleA(NULL), NULL);
        UpdateWindow(hwnd);
        windows[window_count++] = hwnd;
    }
    Pump();
}

static void Close(void) {
    for (int i = 0; i < window_count; ++i) DestroyWindow(windows[i]);
    window_count = 0;
    Pump();
}

int main(void) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = NULL;
    wc.hbrBackground = NULL;
    wc.lpszClassName = "DcCacheCheck";
    if (!RegisterClassA(&wc)) return 1;
    printf("ready\n");
    fflush(stdout);
    char line[64];
    while (fgets(line, sizeof line, stdin) != NULL) {
        if (strncmp(line, "open ", 5) == 0) {
            const int count = atoi(line + 5);
            Open(count > 0 ? count : 0);
            printf("open %d\n", window_count);
        } else if (strncmp(line, "close", 5) == 0) {
            Close();
            printf("closed\n");
        } else if (strncmp(line, "bitmap", 6) == 0) {
            printf(CreateBitmap(1, 1, 1, 1, NULL) != NULL ? "bitmap\n" : "no bitmap\n");
        } else if (strncmp(line, "quit", 4) == 0) {
            break;
        } else {
            printf("unknown command\n");
        }
        fflush(stdout);
    }
    Close();
    return 0;
}
