// The exports of PingoProxy.dll: one search of the desktop under the library's lock, then one WM_COPYDATA
// per code to each window found. Nothing thrown inside ever reaches the caller.
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
    // The desktop's windows come from one snapshot of the system; a window's children are read in one
    // go. Either way a window destroyed while its siblings' trees are searched no longer ends the walk
    // (GW_HWNDNEXT of a destroyed window is nothing).
    std::vector<WindowId> Children(WindowId window) const override {
        std::vector<WindowId> children;
        if (window == Id(GetDesktopWindow())) {
            EnumWindows(&AddWindow, reinterpret_cast<LPARAM>(&children));
            return children;
        }
        for (HWND child = GetWindow(Handle(window), GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            children.push_back(Id(child));
        }
        return children;
    }
    std::string ClassName(WindowId window) const override {
        char name[kClassNameBytes] = {};
        GetClassNameA(Handle(window), name, kClassNameBytes);
        return name;
    }

private:
    static BOOL CALLBACK AddWindow(HWND window, LPARAM children) {
        reinterpret_cast<std::vector<WindowId>*>(children)->push_back(Id(window));
        return TRUE;
    }
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

// A receiver that has not answered a batch's message within this time gets nothing more of that batch,
// so that one hung program does not hold every code behind it.
constexpr UINT kBatchReplyMs = 5000;

// One search, then every code in order to every window found, in table order. Without `bounded` each
// send waits for its receiver however long it takes.
int SendToNotifiers(const int* codes, int count, const char* text, bool bounded) {
    const Targets targets = FindNotifierWindows();
    if (targets.count <= 0) return 0;
    std::array<bool, kMaxFound> answering{};
    answering.fill(true);
    for (int c = 0; c < count; ++c) {
        const NotifierMessage message = MakeNotifierMessage(codes[c], text);
        COPYDATASTRUCT data{};
        data.dwData = message.code;
        data.cbData = message.byteCount;
        data.lpData = const_cast<char*>(message.text);
        for (int i = 0; i < targets.count; ++i) {
            const auto index = static_cast<std::size_t>(i);
            const HWND window = reinterpret_cast<HWND>(targets.windows[index]);
            const LPARAM address = reinterpret_cast<LPARAM>(&data);
            if (!bounded) {
                SendMessageA(window, WM_COPYDATA, 0, address);
            } else if (answering[index]) {
                DWORD_PTR reply = 0;
                answering[index] = SendMessageTimeoutA(window, WM_COPYDATA, 0, address, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                                       kBatchReplyMs, &reply) != 0;
            }
        }
    }
    return 1;
}

}  // namespace

}  // namespace pingoproxy

extern "C" int __stdcall PingoSendMessage(int code, const char* text) {
    try {
        return pingoproxy::SendToNotifiers(&code, 1, text, false);
    } catch (...) {
        return 0;
    }
}

extern "C" int __stdcall PingoSendMessages(const int* codes, int count, const char* text) {
    try {
        if (codes == nullptr || count <= 0) return 0;
        return pingoproxy::SendToNotifiers(codes, count, text, true);
    } catch (...) {
        return 0;
    }
}
