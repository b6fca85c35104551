// The list-view commands: reading the header and rows of a list view of another process, and
// clicking a header item or a row. List-view and header messages carry pointers that the target
// reads and writes in its own address space, so every structure and text buffer they name is
// allocated in the target process and read back from there.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands_win.h"
#include "windows_win.h"

namespace winspect {

namespace {

constexpr DWORD kReplyTimeoutMs = 5000;
constexpr int kTextChars = 1024;
constexpr std::int64_t kDefaultMaxRows = 100;

// A block of memory in the process that owns a window, freed with the object.
class RemoteMemory {
public:
    RemoteMemory(HWND window, std::size_t size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process_ != nullptr) {
            address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteMemory() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Ok() const { return address_ != nullptr; }
    char* At(std::size_t offset) const { return address_ + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t size) const {
        SIZE_T done = 0;
        return offset + size <= size_ && WriteProcessMemory(process_, At(offset), data, size, &done) && done == size;
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const {
        SIZE_T done = 0;
        return offset + size <= size_ && ReadProcessMemory(process_, At(offset), data, size, &done) && done == size;
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
    std::size_t size_;
};

// The structure goes first, the text buffer after it.
constexpr std::size_t kTextOffset = 256;
constexpr std::size_t kRemoteSize = kTextOffset + kTextChars * sizeof(wchar_t);

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, kReplyTimeoutMs, &reply)) return false;
    result = static_cast<LRESULT>(reply);
    return true;
}

std::wstring ReadText(const RemoteMemory& remote) {
    std::vector<wchar_t> text(kTextChars, L'\0');
    if (!remote.Read(kTextOffset, text.data(), text.size() * sizeof(wchar_t))) return {};
    text.back() = L'\0';
    return text.data();
}

// Writes a structure into the remote block, sends the message, and reads the structure back.
template <typename T>
bool Exchange(HWND hwnd, const RemoteMemory& remote, UINT message, WPARAM wParam, T& data, LRESULT& result) {
    return remote.Write(0, &data, sizeof(T)) &&
           Send(hwnd, message, wParam, reinterpret_cast<LPARAM>(remote.At(0)), result) &&
           remote.Read(0, &data, sizeof(T));
}

struct ListView {
    HWND window = nullptr;
    HWND list = nullptr;
    HWND header = nullptr;
};

int FindListView(const Args& args, JsonWriter& json, std::string_view command, ListView& view) {
    if (!args.Has(L"--control")) return Fail(json, kExitUsage, command, "--control ID is required");
    if (int code = ResolveTarget(args, json, command, view.window); code != kExitOk) return code;
    const int id = static_cast<int>(args.Number(L"--control", 0));
    view.list = FindControl(view.window, id);
    if (!view.list) return NotFound(json, args, command, "no control with id " + std::to_string(id));
    LRESULT header = 0;
    if (!Send(view.list, LVM_GETHEADER, 0, 0, header) || header == 0) {
        return Fail(json, kExitFailed, command, "the control answers no list-view header");
    }
    view.header = reinterpret_cast<HWND>(header);
    return kExitOk;
}

bool HeaderItemRect(const ListView& view, const RemoteMemory& remote, int column, RECT& rect) {
    LRESULT ok = 0;
    return Exchange(view.header, remote, HDM_GETITEMRECT, static_cast<WPARAM>(column), rect, ok) && ok;
}

bool RowRect(const ListView& view, const RemoteMemory& remote, int row, RECT& rect) {
    rect = RECT{LVIR_BOUNDS, 0, 0, 0};
    LRESULT ok = 0;
    return Exchange(view.list, remote, LVM_GETITEMRECT, static_cast<WPARAM>(row), rect, ok) && ok;
}

void WriteColumns(JsonWriter& json, const ListView& view, const RemoteMemory& remote) {
    LRESULT count = 0;
    Send(view.header, HDM_GETITEMCOUNT, 0, 0, count);
    json.Key("columns");
    json.BeginArray();
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
        item.cchTextMax = kTextChars;
        remote.Write(kTextOffset, L"", sizeof(wchar_t));
        LRESULT ok = 0;
        Exchange(view.header, remote, HDM_GETITEMW, static_cast<WPARAM>(column), item, ok);
        RECT rect{};
        HeaderItemRect(view, remote, column, rect);
        json.BeginObject();
        json.Field("text", Utf8(ReadText(remote)));
        json.Field("width", item.cxy);
        json.Field("owner_drawn", (item.fmt & HDF_OWNERDRAW) != 0);
        WriteRect(json, "rect", rect);
        json.EndObject();
    }
    json.EndArray();
}

void WriteRows(JsonWriter& json, const ListView& view, const RemoteMemory& remote, int columns, int rows) {
    json.Key("rows");
    json.BeginArray();
    for (int row = 0; row < rows; ++row) {
        json.BeginObject();
        json.Key("texts");
        json.BeginArray();
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote.At(kTextOffset));
            item.cchTextMax = kTextChars;
            remote.Write(kTextOffset, L"", sizeof(wchar_t));
            LRESULT length = 0;
            Exchange(view.list, remote, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), item, length);
            json.String(Utf8(ReadText(remote)));
        }
        json.EndArray();
        LRESULT state = 0;
        Send(view.list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED | LVIS_FOCUSED, state);
        json.Field("selected", (state & LVIS_SELECTED) != 0);
        json.Field("focused", (state & LVIS_FOCUSED) != 0);
        RECT rect{};
        RowRect(view, remote, row, rect);
        WriteRect(json, "rect", rect);
        json.EndObject();
    }
    json.EndArray();
}

// Posts what a mouse button does at a point of a control's client area: a click, or a double
// click as the system delivers it (down, up, double-click, up).
bool PostClick(HWND control, POINT at, bool twice) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    bool posted =
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where) && PostMessageW(control, WM_LBUTTONUP, 0, where);
    if (twice) {
        posted = posted && PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, where) &&
                 PostMessageW(control, WM_LBUTTONUP, 0, where);
    }
    return posted;
}

}  // namespace

int RunListView(const Args& args, JsonWriter& json) {
    ListView view;
    if (int code = FindListView(args, json, "listview", view); code != kExitOk) return code;
    RemoteMemory remote(view.list, kRemoteSize);
    if (!remote.Ok()) return Fail(json, kExitFailed, "listview", "no memory in the list's process");
    LRESULT columns = 0;
    LRESULT count = 0;
    if (!Send(view.header, HDM_GETITEMCOUNT, 0, 0, columns) || !Send(view.list, LVM_GETITEMCOUNT, 0, 0, count)) {
        return Fail(json, kExitFailed, "listview", "the list does not answer");
    }
    const auto maxRows = args.Number(L"--max-rows", kDefaultMaxRows);
    const int rows = static_cast<int>(std::min<std::int64_t>(count, std::max<std::int64_t>(maxRows, 0)));
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "listview");
    json.Field("window", HandleNumber(view.window));
    json.Field("list", HandleNumber(view.list));
    json.Field("count", count);
    WriteColumns(json, view, remote);
    WriteRows(json, view, remote, static_cast<int>(columns), rows);
    json.EndObject();
    return kExitOk;
}

int RunListViewClick(const Args& args, JsonWriter& json) {
    if (args.Has(L"--column") == args.Has(L"--row")) {
        return Fail(json, kExitUsage, "listview-click", "give one of --column N and --row N");
    }
    ListView view;
    if (int code = FindListView(args, json, "listview-click", view); code != kExitOk) return code;
    RemoteMemory remote(view.list, kRemoteSize);
    if (!remote.Ok()) return Fail(json, kExitFailed, "listview-click", "no memory in the list's process");
    const bool onHeader = args.Has(L"--column");
    const int index = static_cast<int>(args.Number(onHeader ? L"--column" : L"--row", 0));
    RECT rect{};
    if (!(onHeader ? HeaderItemRect(view, remote, index, rect) : RowRect(view, remote, index, rect))) {
        return Fail(json, kExitFailed, "listview-click", onHeader ? "no such column" : "no such row");
    }
    const HWND target = onHeader ? view.header : view.list;
    RECT client{};
    GetClientRect(target, &client);
    // The middle of the item, within what the control shows of it.
    const POINT at{(std::max(rect.left, client.left) + std::min(rect.right, client.right)) / 2,
                   (rect.top + rect.bottom) / 2};
    if (rect.right <= rect.left || at.y < client.top || at.y >= client.bottom) {
        return Fail(json, kExitFailed, "listview-click", "the item is not in view");
    }
    const bool twice = args.Has(L"--double");
    if (!PostClick(target, at, twice)) return Fail(json, kExitFailed, "listview-click", "PostMessage failed");
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "listview-click");
    json.Field("window", HandleNumber(view.window));
    json.Field("target", onHeader ? "column" : "row");
    json.Field("index", index);
    json.Field("double", twice);
    json.Key("point");
    json.BeginObject();
    json.Field("x", at.x);
    json.Field("y", at.y);
    json.EndObject();
    json.EndObject();
    return kExitOk;
}

}  // namespace winspect
