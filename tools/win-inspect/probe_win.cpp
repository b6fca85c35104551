// win-inspect-probe: a window with known controls for the inspector's own test. It prints one line
// on stdout for everything the inspector can make it see, so the test can check each action arrived.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kOkButton = 1001;
constexpr int kEdit = 1002;
constexpr int kDisabledButton = 1003;
constexpr int kModalButton = 1004;
constexpr int kPanel = 1005;
constexpr int kNestedButton = 1006;
constexpr UINT kSumMessage = WM_USER + 1;
constexpr UINT kStallMessage = WM_USER + 2;
constexpr LRESULT kCopyDataReply = 1234;

void Say(const std::string& line) {
    // Flushed at once: the test reads the lines while the probe runs.
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Hex(const void* data, DWORD size) {
    std::string out;
    char pair[3];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<const unsigned char*>(data)[i]);
        out += pair;
    }
    return out;
}

// The panel only hosts the nested button; it hands the button's notifications to the main window
// as a dialog would, so a click on a grandchild shows up like any other.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_COMMAND) {
            return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void OnCommand(HWND hwnd, int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    Say("clicked " + std::to_string(id));
    if (id == kModalButton) {
        MessageBoxW(hwnd, L"A modal loop runs while this box is open.", L"win-inspect probe box", MB_OK);
        Say("modal closed");
    }
}

LRESULT OnCopyData(const COPYDATASTRUCT* data) {
    Say("copydata code=" + std::to_string(data->dwData) + " bytes=" + std::to_string(data->cbData) +
        " hex=" + Hex(data->lpData, data->cbData));
    return kCopyDataReply;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)); return 0;
            case WM_COPYDATA: return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            case kSumMessage:
                Say("sum " + std::to_string(wParam) + " " + std::to_string(lParam));
                return static_cast<LRESULT>(wParam + lParam);
            case kStallMessage:
                // Stands for a busy program: the inspector must not hang on it.
                Say("stall " + std::to_string(wParam));
                Sleep(static_cast<DWORD>(wParam));
                return 0;
            case WM_CLOSE:
                Say("close");
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

HWND AddControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, RECT r) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right, r.bottom, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

int RunProbe(int argc, wchar_t** argv) {
    std::wstring title = L"win-inspect 탐침 창";
    std::wstring className = L"WinInspectProbe";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::wstring option = argv[i];
        if (option == L"--title") {
            title = argv[i + 1];
        } else if (option == L"--class") {
            className = argv[i + 1];
        }
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW mainClass{};
    mainClass.lpfnWndProc = MainProc;
    mainClass.hInstance = instance;
    mainClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    mainClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    mainClass.lpszClassName = className.c_str();
    WNDCLASSW panelClass = mainClass;
    panelClass.lpfnWndProc = PanelProc;
    panelClass.lpszClassName = L"WinInspectProbePanel";
    if (!RegisterClassW(&mainClass) || !RegisterClassW(&panelClass)) {
        Say("error RegisterClass " + std::to_string(GetLastError()));
        return 1;
    }
    HWND hwnd = CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 420, 260, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) {
        Say("error CreateWindow " + std::to_string(GetLastError()));
        return 1;
    }
    AddControl(hwnd, L"BUTTON", L"확인", BS_PUSHBUTTON, kOkButton, {10, 10, 100, 28});
    AddControl(hwnd, L"EDIT", L"편집 text", WS_BORDER | ES_AUTOHSCROLL, kEdit, {120, 10, 200, 24});
    HWND disabled = AddControl(hwnd, L"BUTTON", L"Disabled", BS_PUSHBUTTON, kDisabledButton, {10, 50, 100, 28});
    EnableWindow(disabled, FALSE);
    AddControl(hwnd, L"BUTTON", L"Modal", BS_PUSHBUTTON, kModalButton, {120, 50, 100, 28});
    HWND panel = AddControl(hwnd, L"WinInspectProbePanel", L"", 0, kPanel, {10, 90, 300, 80});
    AddControl(panel, L"BUTTON", L"Nested", BS_PUSHBUTTON, kNestedButton, {10, 10, 100, 28});
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Say("ready " + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd)));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Say("exit");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return RunProbe(argc, argv);
    } catch (...) {
        return 1;
    }
}
