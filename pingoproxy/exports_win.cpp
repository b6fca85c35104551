// The export of PingoProxy.dll: one search of the desktop under the library's lock, then one WM_COPYDATA
// to each window found. Nothing thrown inside ever reaches the caller.
#include <windows.h>

#include "PingoProxy.h"
#include "window_search.h"

namespace pingoproxy {

namespace {

// GetClassNameA reads at most this many bytes with the NUL; class names are at most 256 characters.
constexpr int kClassNameBytes = 257;

class DesktopTree final : public WindowTree {
public:
    WindowId Desktop() const override { return Id(GetDesktopWindow()); }
    WindowId FirstChild(WindowId window) const override { return Id(GetWindow(Handle(window), GW_CHILD)); }
    WindowId NextSibling(WindowId window) const override { return Id(GetWindow(Handle(window), GW_HWNDNEXT)); }
    std::string ClassName(WindowId window) const override {
        char name[kClassNameBytes] = {};
        GetClassNameA(Handle(window), name, kClassNameBytes);
        return name;
    }

private:
    static WindowId Id(HWND window) { return reinterpret_cast<WindowId>(window); }
    static HWND Handle(WindowId window) { return reinterpret_cast<HWND>(window); }
};

// The search table belongs to the whole library, and callers arrive on threads of their own: one search
// at a time. The lock is released before the sends, so a receiver that hangs holds only its own caller.
SRWLOCK searchLock = SRWLOCK_INIT;
SearchState searchState;

class SearchLock {
public:
    SearchLock() { AcquireSRWLockExclusive(&searchLock); }
    ~SearchLock() { ReleaseSRWLockExclusive(&searchLock); }
    SearchLock(const SearchLock&) = delete;
    SearchLock& operator=(const SearchLock&) = delete;
};

struct Targets {
    std::array<WindowId, kMaxFound> windows{};
    int count = 0;
};

Targets FindNotifierWindows() {
    const SearchLock lock;
    const DesktopTree desktop;
    Targets targets;
    targets.count = SearchWindows(searchState, desktop, 0, kNotifierClassPattern);
    targets.windows = searchState.found;
    return targets;
}

int SendToNotifiers(int code, const char* text) {
    const Targets targets = FindNotifierWindows();
    if (targets.count <= 0) return 0;
    const NotifierMessage message = MakeNotifierMessage(code, text);
    COPYDATASTRUCT data{};
    data.dwData = message.code;
    data.cbData = message.byteCount;
    data.lpData = const_cast<char*>(message.text);
    for (int i = 0; i < targets.count; ++i) {
        SendMessageA(reinterpret_cast<HWND>(targets.windows[static_cast<std::size_t>(i)]), WM_COPYDATA, 0,
                     reinterpret_cast<LPARAM>(&data));
    }
    return 1;
}

}  // namespace

}  // namespace pingoproxy

extern "C" int __stdcall PingoSendMessage(int code, const char* text) {
    try {
        return pingoproxy::SendToNotifiers(code, text);
    } catch (...) {
        return 0;
    }
}
