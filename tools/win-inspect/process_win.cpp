// The "process" command: what one process holds (threads, handles, USER and GDI objects, windows), for
// the benchmarks that check a program returns to where it started.
#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <string_view>

#include "commands_win.h"

namespace winspect {

namespace {

struct Snapshot {
    DWORD pid = 0;
    DWORD threads = 0;
};

// The first process whose executable name is `name` (case-insensitive), with its thread count.
Snapshot FindProcess(const std::wstring& name) {
    Snapshot found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) {
            found.pid = entry.th32ProcessID;
            found.threads = entry.cntThreads;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

struct WindowCount {
    DWORD pid = 0;
    int count = 0;
};

BOOL CALLBACK CountChild(HWND window, LPARAM state) {
    auto* count = reinterpret_cast<WindowCount*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->pid) ++count->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM state) {
    CountChild(window, state);
    EnumChildWindows(window, &CountChild, state);
    return TRUE;
}

void CountOrNull(JsonWriter& json, std::string_view key, DWORD count) {
    json.Key(key);
    if (count != 0) {
        json.UInt(count);
    } else {
        json.Null();
    }
}

}  // namespace

int RunProcess(const Args& args, JsonWriter& json) {
    const std::wstring name = args.Text(L"--name");
    if (name.empty()) return Fail(json, kExitUsage, "process", "--name is required");
    const Snapshot process = FindProcess(name);
    if (process.pid == 0) return Fail(json, kExitNotFound, "process", "no such process");
    const HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process.pid);
    if (handle == nullptr) return Fail(json, kExitFailed, "process", "OpenProcess failed");
    // A running program always holds some of each: 0 means the system does not count them (Wine).
    DWORD handles = 0;
    if (!GetProcessHandleCount(handle, &handles)) handles = 0;
    const DWORD user = GetGuiResources(handle, GR_USEROBJECTS);
    const DWORD gdi = GetGuiResources(handle, GR_GDIOBJECTS);
    CloseHandle(handle);
    WindowCount windows{process.pid, 0};
    EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));

    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "process");
    json.Field("pid", process.pid);
    json.Field("threads", process.threads);
    CountOrNull(json, "handles", handles);
    CountOrNull(json, "user_objects", user);
    CountOrNull(json, "gdi_objects", gdi);
    json.Field("windows", windows.count);
    json.EndObject();
    return kExitOk;
}

}  // namespace winspect
