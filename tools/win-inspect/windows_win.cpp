#include "windows_win.h"

#include <algorithm>

namespace winspect {

namespace {

constexpr UINT kTextTimeoutMs = 500;
constexpr std::size_t kMaxTextChars = 1 << 20;
constexpr int kMaxTitleChars = 1 << 15;
// A cycle in a window tree is impossible, but a window destroyed during the walk could send
// GetWindow elsewhere; the cap keeps the walk finite whatever happens.
constexpr std::size_t kMaxDescendants = 20000;
constexpr DWORD kPollMs = 25;

void CollectDescendants(HWND parent, std::vector<HWND>& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child && out.size() < kMaxDescendants;
         child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
        CollectDescendants(child, out);
    }
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

bool SameClass(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool Matches(HWND hwnd, const WindowQuery& query) {
    if (!query.byTitle && !query.byClass) {
        return false;
    }
    // Class names compare without case, as the system itself does when it looks a class up.
    if (query.byClass && !SameClass(ClassName(hwnd), query.className)) {
        return false;
    }
    if (query.byTitle && WindowTitle(hwnd) != query.title) {
        return false;
    }
    return !query.visibleOnly || IsWindowVisible(hwnd);
}

LONG Style(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }

LONG ExStyle(HWND hwnd) { return GetWindowLongW(hwnd, GWL_EXSTYLE); }

RECT ScreenRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    }
    return out;
}

std::wstring WindowTitle(HWND hwnd) {
    // GetWindowTextW reads another process's window text from the window manager without sending
    // WM_GETTEXT, so a hung program cannot block the listing.
    std::wstring text;
    for (int capacity = 512;; capacity *= 4) {
        text.assign(capacity, L'\0');
        int length = GetWindowTextW(hwnd, text.data(), capacity);
        if (length < capacity - 1 || capacity >= kMaxTitleChars) {
            text.resize(length > 0 ? length : 0);
            return text;
        }
    }
}

std::wstring ControlText(HWND hwnd, bool& ownerSlow) {
    constexpr UINT kFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
    DWORD_PTR length = 0;
    if (ownerSlow || !SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, kFlags, kTextTimeoutMs, &length)) {
        ownerSlow = true;
        return WindowTitle(hwnd);
    }
    length = std::min<DWORD_PTR>(length, kMaxTextChars);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), kFlags,
                             kTextTimeoutMs, &copied)) {
        ownerSlow = true;
        return WindowTitle(hwnd);
    }
    text.resize(std::min<DWORD_PTR>(copied, length));
    return text;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t name[257] = {};
    int length = GetClassNameW(hwnd, name, 257);
    return std::wstring(name, length > 0 ? length : 0);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> out;
    CollectDescendants(parent, out);
    return out;
}

HWND FindControl(HWND parent, int id) {
    for (HWND child : Descendants(parent)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

HWND WaitForTopLevel(const WindowQuery& query, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        for (HWND hwnd : TopLevelWindows()) {
            if (Matches(hwnd, query)) {
                return hwnd;
            }
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return nullptr;
        }
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now)));
    }
}

void WriteRect(JsonWriter& json, std::string_view key, const RECT& rect) {
    json.Key(key);
    json.BeginObject();
    json.Field("left", rect.left);
    json.Field("top", rect.top);
    json.Field("right", rect.right);
    json.Field("bottom", rect.bottom);
    json.EndObject();
}

void WriteChild(JsonWriter& json, HWND hwnd, bool& ownerSlow) {
    json.BeginObject();
    json.Field("hwnd", HandleNumber(hwnd));
    json.Field("parent", HandleNumber(GetParent(hwnd)));
    json.Field("id", GetDlgCtrlID(hwnd));
    json.Field("class", Utf8(ClassName(hwnd)));
    json.Field("text", Utf8(ControlText(hwnd, ownerSlow)));
    WriteRect(json, "rect", ScreenRect(hwnd));
    json.Field("visible", IsWindowVisible(hwnd) != FALSE);
    json.Field("enabled", IsWindowEnabled(hwnd) != FALSE);
    json.Field("style", static_cast<std::uint32_t>(Style(hwnd)));
    json.EndObject();
}

void WriteTopLevel(JsonWriter& json, HWND hwnd) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    json.BeginObject();
    json.Field("hwnd", HandleNumber(hwnd));
    json.Field("pid", pid);
    json.Field("tid", tid);
    json.Field("title", Utf8(WindowTitle(hwnd)));
    json.Field("class", Utf8(ClassName(hwnd)));
    WriteRect(json, "rect", ScreenRect(hwnd));
    json.Field("visible", IsWindowVisible(hwnd) != FALSE);
    json.Field("topmost", (ExStyle(hwnd) & WS_EX_TOPMOST) != 0);
    json.Field("enabled", IsWindowEnabled(hwnd) != FALSE);
    json.Field("iconic", IsIconic(hwnd) != FALSE);
    json.Field("style", static_cast<std::uint32_t>(Style(hwnd)));
    json.Field("exstyle", static_cast<std::uint32_t>(ExStyle(hwnd)));
    json.Field("owner", HandleNumber(GetWindow(hwnd, GW_OWNER)));
    json.Key("children");
    json.BeginArray();
    bool ownerSlow = false;
    for (HWND child : Descendants(hwnd)) {
        WriteChild(json, child, ownerSlow);
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace winspect
