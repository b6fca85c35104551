// The "process" command: what one process holds (threads, handles, USER and GDI objects, windows), for
// the benchmarks that check a program returns to where it started.
#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <map>
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

using QueryInformation = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

QueryInformation NtQueryInformationProcessEntry() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr ? reinterpret_cast<QueryInformation>(
                                  reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationProcess")))
                            : nullptr;
}

// The handle count as the native call reports it (Wine 8 answers GetProcessHandleCount with 0, so
// this shows whether the system counts at all); 0 when it does not.
DWORD NativeHandleCount(HANDLE process) {
    constexpr int kProcessHandleCount = 20;
    const QueryInformation query = NtQueryInformationProcessEntry();
    ULONG count = 0;
    if (query == nullptr || query(process, kProcessHandleCount, &count, sizeof count, nullptr) != 0) return 0;
    return count;
}

// The used entries of the process's GDI handle table, which Wine keeps in the process and names in its
// PEB (GdiSharedHandleTable): entries of 24 bytes whose type byte (offset 14) is 0 when free; byte 12
// holds the full object type and, in its top bit, whether the object is a stock one. Stands in for
// GetGuiResources(GR_GDIOBJECTS) where that returns 0; empty when the table cannot be read.
struct GdiTable {
    DWORD used = 0;
    DWORD stock = 0;
    std::map<unsigned char, DWORD> byType;  // the objects that are not stock ones
};

GdiTable ReadGdiTable(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    const QueryInformation query = NtQueryInformationProcessEntry();
    if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) return {};
    constexpr SIZE_T kTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
    void* table = nullptr;
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + kTableOffset, &table, sizeof table, nullptr) || table == nullptr) return {};
    constexpr std::size_t kEntryBytes = 24;
    constexpr std::size_t kEntries = 0x10000;
    constexpr std::size_t kChunk = 4096;
    std::string chunk(kChunk * kEntryBytes, '\0');
    GdiTable found;
    for (std::size_t first = 0; first < kEntries; first += kChunk) {
        const auto* at = static_cast<const char*>(table) + first * kEntryBytes;
        if (!ReadProcessMemory(process, at, chunk.data(), chunk.size(), nullptr)) return {};
        for (std::size_t i = 0; i < kChunk; ++i) {
            if (chunk[i * kEntryBytes + 14] == 0) continue;
            ++found.used;
            const auto type = static_cast<unsigned char>(chunk[i * kEntryBytes + 12]);
            if ((type & 0x80) != 0) {
                ++found.stock;
            } else {
                ++found.byType[type];
            }
        }
    }
    return found;
}

// The object types' names (NTGDI_OBJ_* shifted down by 16 bits); others by number.
std::string GdiTypeName(unsigned char type) {
    switch (type) {
        case 0x01: return "dc";
        case 0x04: return "region";
        case 0x05: return "surface";
        case 0x08: return "palette";
        case 0x09: return "bitmap";
        case 0x0a: return "font";
        case 0x10: return "brush";
        case 0x21: return "enhmetadc";
        case 0x26: return "metafile";
        case 0x30: return "pen";
        case 0x46: return "enhmetafile";
        case 0x50: return "extpen";
        case 0x66: return "metadc";
        default: return "type" + std::to_string(type);
    }
}

}  // namespace

int RunProcess(const Args& args, JsonWriter& json) {
    const std::wstring name = args.Text(L"--name");
    if (name.empty()) return Fail(json, kExitUsage, "process", "--name is required");
    const Snapshot process = FindProcess(name);
    if (process.pid == 0) return Fail(json, kExitNotFound, "process", "no such process");
    const HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.pid);
    if (handle == nullptr) return Fail(json, kExitFailed, "process", "OpenProcess failed");
    // A running program always holds some of each: 0 means the system does not count them (Wine).
    DWORD handles = 0;
    if (!GetProcessHandleCount(handle, &handles)) handles = 0;
    const DWORD user = GetGuiResources(handle, GR_USEROBJECTS);
    const DWORD gdi = GetGuiResources(handle, GR_GDIOBJECTS);
    const DWORD nativeHandles = NativeHandleCount(handle);
    const GdiTable gdiTable = ReadGdiTable(handle);
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
    CountOrNull(json, "native_handles", nativeHandles);
    CountOrNull(json, "gdi_table", gdiTable.used);
    // What the used entries are, by object type: which kind of object a count that does not come back is.
    json.Key("gdi_types");
    json.BeginObject();
    json.Field("stock", gdiTable.stock);
    for (const auto& [type, count] : gdiTable.byType) json.Field(GdiTypeName(type), count);
    json.EndObject();
    json.Field("windows", windows.count);
    json.EndObject();
    return kExitOk;
}

}  // namespace winspect
