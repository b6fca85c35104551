// Stand-ins for the programs of the suite that Mirelo talks to on the same desktop, for tests and
// for trying the client by hand:
//   stand-in.exe messenger [--log FILE]       a window titled like the messenger ("퀼론 메신저")
//   stand-in.exe biz [--windows N] [--log FILE]
//                                             a business application window of class "QXNotifyBiz", or
//                                             N of them (shown, z-order from top in creation order)
//   stand-in.exe pingo [--windows N] [--nested] [--answer-ms MS] [--log FILE]
//                                             hidden notifier windows: N top-level ones whose class
//                                             names contain "QXPingoMsgWnd" (exactly, with a prefix, a
//                                             suffix or both, in turn), after two top-level decoys whose
//                                             classes do not ("QXPingoMsgWn", "qxpingomsgwnd_decoy");
//                                             --nested adds a notifier child to the first decoy, and to
//                                             the first notifier a notifier child with a notifier child
//                                             of its own and a plain child ("StandInPlain");
//                                             --answer-ms makes each WM_COPYDATA take that long, as a
//                                             busy program would
// Each logs what it receives (WM_COPYDATA with its bytes, WM_CLOSE) to the log file, one line per
// event, and ends on WM_CLOSE. With several windows, every window is logged at start
// ("window index=I hwnd=0x... class=C parent=P", P -1 for a top-level window), then whether the
// z-order of siblings is their creation order ("z-order as created" or "z-order differs"), and each
// WM_COPYDATA line ends with the receiving window's " window=I class=C hwnd=0x...".
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

FILE* g_log = nullptr;
bool g_severalWindows = false;
DWORD g_answerMs = 0;

struct StandInWindow {
    HWND hwnd = nullptr;
    int parent = -1;
};
std::vector<StandInWindow> g_windows;

void LogLine(const char* format, ...) {
    if (g_log == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_log, format, args);
    va_end(args);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

unsigned long HandleValue(HWND hwnd) { return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hwnd)); }

std::string ClassNameOf(HWND hwnd) {
    char name[257] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

int IndexOf(HWND hwnd) {
    for (std::size_t i = 0; i < g_windows.size(); ++i) {
        if (g_windows[i].hwnd == hwnd) return static_cast<int>(i);
    }
    return -1;
}

void LogCopyData(HWND hwnd, const COPYDATASTRUCT* data) {
    std::string hex;
    const auto* bytes = static_cast<const unsigned char*>(data->lpData);
    for (DWORD i = 0; i < data->cbData && bytes != nullptr; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
        hex += pair;
    }
    std::string window;
    if (g_severalWindows) {
        char suffix[400];
        std::snprintf(suffix, sizeof(suffix), " window=%d class=%s hwnd=0x%08lx", IndexOf(hwnd),
                      ClassNameOf(hwnd).c_str(), HandleValue(hwnd));
        window = suffix;
    }
    LogLine("copydata code=%lu bytes=%lu hex=%s%s", static_cast<unsigned long>(data->dwData),
            static_cast<unsigned long>(data->cbData), hex.c_str(), window.c_str());
}

void DestroyAll() {
    for (const StandInWindow& window : g_windows) {
        if (window.parent < 0 && IsWindow(window.hwnd)) DestroyWindow(window.hwnd);
    }
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA:
            LogCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            if (g_answerMs != 0) Sleep(g_answerMs);
            return TRUE;
        case WM_CLOSE:
            LogLine("close");
            DestroyAll();
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterStandInClass(const wchar_t* className) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Creates one window of the class (registered on first use); parent is an index into g_windows or -1.
int AddWindow(const wchar_t* className, const wchar_t* title, int parent, int offset) {
    if (!RegisterStandInClass(className)) return -1;
    const DWORD style = parent < 0 ? WS_OVERLAPPEDWINDOW : WS_CHILD | WS_VISIBLE;
    const HWND parentHwnd = parent < 0 ? nullptr : g_windows[static_cast<std::size_t>(parent)].hwnd;
    const HWND hwnd = CreateWindowExW(0, className, title, style, 100 + offset, 100 + offset, 320, 200, parentHwnd,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) return -1;
    g_windows.push_back({hwnd, parent});
    return static_cast<int>(g_windows.size() - 1);
}

// Puts every window's siblings in z-order from top in the order they were created, whatever order
// the window manager chose, so that a test can tell which windows come first.
void OrderAsCreated() {
    for (auto it = g_windows.rbegin(); it != g_windows.rend(); ++it) {
        SetWindowPos(it->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

bool IsBelow(HWND lower, HWND upper) {
    for (HWND next = GetWindow(upper, GW_HWNDNEXT); next != nullptr; next = GetWindow(next, GW_HWNDNEXT)) {
        if (next == lower) return true;
    }
    return false;
}

void LogWindows() {
    bool ordered = true;
    for (std::size_t i = 0; i < g_windows.size(); ++i) {
        const StandInWindow& window = g_windows[i];
        LogLine("window index=%d hwnd=0x%08lx class=%s parent=%d", static_cast<int>(i), HandleValue(window.hwnd),
                ClassNameOf(window.hwnd).c_str(), window.parent);
        for (std::size_t later = i + 1; later < g_windows.size(); ++later) {
            if (g_windows[later].parent == window.parent) {
                ordered = ordered && IsBelow(g_windows[later].hwnd, window.hwnd);
                break;
            }
        }
    }
    LogLine(ordered ? "z-order as created" : "z-order differs");
}

bool CreateBizWindows(int count) {
    for (int i = 0; i < count; ++i) {
        if (AddWindow(L"QXNotifyBiz", L"Business application", -1, 20 * i) < 0) return false;
        ShowWindow(g_windows.back().hwnd, g_severalWindows ? SW_SHOWNOACTIVATE : SW_SHOW);
    }
    return true;
}

bool CreatePingoWindows(int count, bool nested) {
    static const wchar_t* const kNotifierClasses[] = {L"QXPingoMsgWnd", L"XQXPingoMsgWndY", L"PrefixQXPingoMsgWnd",
                                                      L"QXPingoMsgWndSuffix"};
    const int nearMiss = AddWindow(L"QXPingoMsgWn", L"decoy", -1, 0);
    if (nearMiss < 0 || (nested && AddWindow(L"QXPingoMsgWnd", L"notifier under a decoy", nearMiss, 0) < 0)) {
        return false;
    }
    if (AddWindow(L"qxpingomsgwnd_decoy", L"decoy", -1, 0) < 0) return false;
    for (int i = 0; i < count; ++i) {
        const int top = AddWindow(kNotifierClasses[i % 4], L"notifier", -1, 10 * i);
        if (top < 0) return false;
        if (nested && i == 0) {
            const int child = AddWindow(L"XQXPingoMsgWndY", L"notifier child", top, 0);
            if (child < 0 || AddWindow(L"QXPingoMsgWnd", L"notifier grandchild", child, 0) < 0 ||
                AddWindow(L"StandInPlain", L"plain child", top, 0) < 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc >= 2 ? argv[1] : L"";
    if (mode != L"messenger" && mode != L"biz" && mode != L"pingo") {
        std::fputs(
            "usage: stand-in.exe messenger [--log FILE]\n"
            "       stand-in.exe biz [--windows N] [--log FILE]\n"
            "       stand-in.exe pingo [--windows N] [--nested] [--answer-ms MS] [--log FILE]\n",
            stderr);
        return 2;
    }
    int count = mode == L"pingo" ? 0 : 1;
    bool nested = false;
    for (int i = 2; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--nested") == 0) nested = true;
        if (i + 1 >= argc) continue;
        if (std::wcscmp(argv[i], L"--log") == 0) g_log = _wfopen(argv[i + 1], L"a");
        if (std::wcscmp(argv[i], L"--answer-ms") == 0)
            g_answerMs = static_cast<DWORD>(std::clamp(_wtoi(argv[i + 1]), 0, 10000));
        if (std::wcscmp(argv[i], L"--windows") == 0) {
            count = _wtoi(argv[i + 1]);
            g_severalWindows = true;
        }
    }
    if (count < 0 || count > 100) {
        std::fputs("stand-in.exe: --windows takes 0 to 100\n", stderr);
        return 2;
    }
    bool created = false;
    if (mode == L"messenger") {
        created = AddWindow(L"MireloStandInMessenger", L"\xD03C\xB860 \xBA54\xC2E0\xC800", -1, 0) >= 0;
        if (created) ShowWindow(g_windows.back().hwnd, SW_SHOW);
    } else if (mode == L"biz") {
        created = count > 0 && CreateBizWindows(count);
    } else {
        g_severalWindows = true;
        created = CreatePingoWindows(count, nested);
    }
    if (!created) return 1;
    if (g_severalWindows) {
        OrderAsCreated();
        LogWindows();
    }
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
