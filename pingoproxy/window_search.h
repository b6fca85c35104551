#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pingoproxy {

// A window handle as the search sees it; 0 is no window.
using WindowId = std::uintptr_t;

inline constexpr char kNotifierClassPattern[] = "QXPingoMsgWnd";
inline constexpr int kMaxFound = 10;

// The window tree the search walks. The platform answers with the desktop, a window's children in
// z-order, and a window's class name. The children of a window are read at once, before any of them is
// searched: a window that goes away during the search must not cut its siblings off.
class WindowTree {
public:
    virtual ~WindowTree() = default;
    virtual WindowId Desktop() const = 0;
    virtual std::vector<WindowId> Children(WindowId window) const = 0;
    virtual std::string ClassName(WindowId window) const = 0;
};

// The search state is shared by every caller of the library: whoever searches must hold the library's
// lock until the search has returned and its table has been read.
struct SearchState {
    int foundCount = 0;
    std::array<WindowId, kMaxFound> found{};
    int depth = 0;  // 0 while no search runs
};

// Collects the windows below `start` (the desktop when it is 0) whose class name contains `pattern`:
// depth first, every window's descendants before the window itself, siblings in z-order, at most
// kMaxFound. Returns the number found.
int SearchWindows(SearchState& state, const WindowTree& tree, WindowId start, const char* pattern);

// What one notifier window receives: the fields of the WM_COPYDATA structure.
struct NotifierMessage {
    std::uint32_t code = 0;
    std::uint32_t byteCount = 0;  // the text's length with its NUL, 0 without a text
    const char* text = nullptr;
};

NotifierMessage MakeNotifierMessage(int code, const char* text);

}  // namespace pingoproxy
