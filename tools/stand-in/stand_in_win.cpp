// Stand-ins for the programs of the suite that Mirelo talks to on the same desktop, for tests and
// for trying the client by hand:
//   stand-in.exe messenger [--log FILE]       a window titled like the messenger ("퀼론 메신저")
//   stand-in.exe biz [--log FILE]             a business application window of class "QXNotifyBiz"
// Each logs what it receives (WM_COPYDATA with its bytes, WM_CLOSE) to the log file, one line per
// event, and ends on WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

FILE* g_log = nullptr;

void LogLine(const char* format, ...) {
    if (g_log == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_log, format, args);
    va_end(args);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            std::string hex;
            const auto* bytes = static_cast<const unsigned char*>(data->lpData);
            for (DWORD i = 0; i < data->cbData && bytes != nullptr; ++i) {
                char pair[3];
                std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
                hex += pair;
            }
            LogLine("copydata code=%lu bytes=%lu hex=%s", static_cast<unsigned long>(data->dwData),
                    static_cast<unsigned long>(data->cbData), hex.c_str());
            return TRUE;
        }
        case WM_CLOSE:
            LogLine("close");
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || (std::wcscmp(argv[1], L"messenger") != 0 && std::wcscmp(argv[1], L"biz") != 0)) {
        std::fputs("usage: stand-in.exe (messenger | biz) [--log FILE]\n", stderr);
        return 2;
    }
    const bool messenger = std::wcscmp(argv[1], L"messenger") == 0;
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--log") == 0) g_log = _wfopen(argv[i + 1], L"a");
    }
    const wchar_t* className = messenger ? L"MireloStandInMessenger" : L"QXNotifyBiz";
    const wchar_t* title = messenger ? L"\xD03C\xB860 \xBA54\xC2E0\xC800" : L"Business application";
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    const HWND hwnd = CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 100, 100, 320, 200, nullptr, nullptr,
                                      wc.hInstance, nullptr);
    if (hwnd == nullptr) return 1;
    ShowWindow(hwnd, SW_SHOW);
    LogLine("ready");
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    LogLine("ended");
    if (g_log != nullptr) std::fclose(g_log);
    return 0;
}
