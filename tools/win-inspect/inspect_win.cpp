#include "commands_win.h"
#include "windows_win.h"

namespace winspect {

namespace {

// Untitled hidden windows are listed only when their class is one the tests look for; the system
// keeps untitled helper windows that would only be noise.
bool IsKnownClass(const std::wstring& name) {
    for (std::wstring_view part : {L"QX", L"Mirelo", L"Pingo"}) {
        if (name.find(part) != std::wstring::npos) {
            return true;
        }
    }
    return name == L"#32770" || name == L"Shell_TrayWnd";
}

bool IsListed(HWND hwnd) {
    std::wstring className = ClassName(hwnd);
    // Every thread with windows owns a hidden "Default IME" window.
    if (className == L"IME") {
        return false;
    }
    return IsWindowVisible(hwnd) || !WindowTitle(hwnd).empty() || IsKnownClass(className);
}

RECT WorkArea() {
    RECT rect{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
    return rect;
}

}  // namespace

int RunList(const Args& args, JsonWriter& json) {
    bool all = args.Has(L"--all");
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "list");
    json.Field("foreground", HandleNumber(GetForegroundWindow()));
    WriteRect(json, "screen", RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    WriteRect(json, "work_area", WorkArea());
    json.Key("windows");
    json.BeginArray();
    for (HWND hwnd : TopLevelWindows()) {
        // A window can vanish between the enumeration and its description.
        if (IsWindow(hwnd) && (all || IsListed(hwnd))) {
            WriteTopLevel(json, hwnd);
        }
    }
    json.EndArray();
    json.EndObject();
    return kExitOk;
}

int RunFind(const Args& args, JsonWriter& json) {
    ULONGLONG start = GetTickCount64();
    HWND hwnd = nullptr;
    if (int code = ResolveTarget(args, json, "find", hwnd); code != kExitOk) {
        return code;
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "find");
    json.Field("waited_ms", GetTickCount64() - start);
    json.Key("window");
    WriteTopLevel(json, hwnd);
    json.EndObject();
    return kExitOk;
}

int RunInput(const Args& args, JsonWriter& json) {
    // A move by one pixel and back: enough for GetLastInputInfo, invisible to anything under the mouse.
    INPUT moves[2] = {};
    for (INPUT& move : moves) {
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
    }
    moves[0].mi.dx = 1;
    moves[1].mi.dx = -1;

    LASTINPUTINFO before{sizeof before, 0};
    GetLastInputInfo(&before);
    UINT inserted = SendInput(2, moves, sizeof(INPUT));
    DWORD error = GetLastError();
    LASTINPUTINFO after{sizeof after, 0};
    GetLastInputInfo(&after);
    if (inserted == 0) {
        return Fail(json, kExitFailed, "input", "SendInput failed, error " + std::to_string(error));
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "input");
    json.Field("inserted", inserted);
    json.Field("last_input_before", before.dwTime);
    json.Field("last_input_after", after.dwTime);
    json.Field("tick", GetTickCount());
    json.EndObject();
    return kExitOk;
}

}  // namespace winspect
