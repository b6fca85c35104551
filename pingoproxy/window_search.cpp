#include "window_search.h"

#include <cstring>

namespace pingoproxy {

namespace {

// Leaves the depth as it was found even when reading a class name throws, so that the next search
// still starts from a clean table.
class DepthScope {
public:
    explicit DepthScope(SearchState& state) : state_(state) { ++state_.depth; }
    ~DepthScope() { --state_.depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

private:
    SearchState& state_;
};

}  // namespace

int SearchWindows(SearchState& state, const WindowTree& tree, WindowId start, const char* pattern) {
    if (state.depth == 0) {
        state.foundCount = 0;
        if (start == 0) start = tree.Desktop();
    }
    DepthScope scope(state);
    for (const WindowId child : tree.Children(start)) {
        SearchWindows(state, tree, child, pattern);
        if (tree.ClassName(child).find(pattern) != std::string::npos && state.foundCount < kMaxFound) {
            state.found[static_cast<std::size_t>(state.foundCount++)] = child;
        }
    }
    return state.foundCount;
}

NotifierMessage MakeNotifierMessage(int code, const char* text) {
    NotifierMessage message;
    message.code = static_cast<std::uint32_t>(code);
    if (text != nullptr) {
        message.byteCount = static_cast<std::uint32_t>(std::strlen(text) + 1);
        message.text = text;
    }
    return message;
}

}  // namespace pingoproxy
