/* baseline-notifier PORT
 *
 * The smallest tray notifier the benchmarks compare Mirelo with: a hidden window, a tray icon and a
 * UDP socket on PORT; every datagram opens a 400 x 180 window with one line of text, which closes
 * itself after three seconds. Plain C, no resources, nothing loaded but what Windows links. */

#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>

#define WM_SOCKET (WM_USER + 1)
#define WM_TRAY (WM_USER + 2)
#define CLOSE_TIMER 1

static HINSTANCE instance;

static LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            RECT client;
            HDC dc = BeginPaint(window, &paint);
            GetClientRect(window, &client);
            DrawTextA(dc, "A notification has arrived.", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_TIMER: DestroyWindow(window); return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

static void ShowPopup(void) {
    int x = (GetSystemMetrics(SM_CXSCREEN) - 400) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - 180) / 2;
    HWND popup = CreateWindowExA(WS_EX_TOPMOST, "BaselinePopup", "Notify", WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y,
                                 400, 180, NULL, NULL, instance, NULL);
    if (popup == NULL) return;
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    UpdateWindow(popup);
    SetTimer(popup, CLOSE_TIMER, 3000, NULL);
}

static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SOCKET:
            if (WSAGETSELECTEVENT(lparam) == FD_READ) {
                char buffer[8192];
                struct sockaddr_in from;
                int from_length = sizeof(from);
                if (recvfrom((SOCKET)wparam, buffer, sizeof(buffer), 0, (struct sockaddr*)&from, &from_length) > 0) {
                    ShowPopup();
                }
            }
            return 0;
        case WM_DESTROY: {
            NOTIFYICONDATAA icon = {0};
            icon.cbSize = sizeof(icon);
            icon.hWnd = window;
            icon.uID = 1;
            Shell_NotifyIconA(NIM_DELETE, &icon);
            PostQuitMessage(0);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int WINAPI WinMain(HINSTANCE this_instance, HINSTANCE previous, LPSTR command_line, int show) {
    WNDCLASSA window_class = {0};
    NOTIFYICONDATAA icon = {0};
    WSADATA wsa;
    struct sockaddr_in address = {0};
    SOCKET s;
    HWND main_window;
    MSG message;
    int port = atoi(command_line);

    instance = this_instance;
    if (port <= 0 || port > 65535) return 2;
    window_class.lpfnWndProc = MainProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = "BaselineNotifier";
    RegisterClassA(&window_class);
    window_class.lpfnWndProc = PopupProc;
    window_class.hCursor = LoadCursor(NULL, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    window_class.lpszClassName = "BaselinePopup";
    RegisterClassA(&window_class);
    main_window = CreateWindowA("BaselineNotifier", "BaselineNotifier", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    if (main_window == NULL) return 1;

    icon.cbSize = sizeof(icon);
    icon.hWnd = main_window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = WM_TRAY;
    icon.hIcon = LoadIcon(NULL, IDI_INFORMATION);
    lstrcpyA(icon.szTip, "Baseline");
    if (!Shell_NotifyIconA(NIM_ADD, &icon)) return 1;

    if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) return 1;
    s = socket(AF_INET, SOCK_DGRAM, 0);
    address.sin_family = AF_INET;
    address.sin_port = htons((unsigned short)port);
    if (s == INVALID_SOCKET || bind(s, (struct sockaddr*)&address, sizeof(address)) != 0) return 1;
    WSAAsyncSelect(s, main_window, WM_SOCKET, FD_READ);

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    closesocket(s);
    WSACleanup();
    return 0;
}
