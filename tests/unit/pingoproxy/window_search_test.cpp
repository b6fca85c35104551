#include "window_search.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace pingoproxy {
namespace {

constexpr WindowId kDesktop = 1;

// A window tree built by the test: windows are numbered from 2 in the order they are added, each
// parent's children in z-order (the first added is the top one).
class ScriptedTree final : public WindowTree {
public:
    WindowId Add(WindowId parent, std::string className) {
        const WindowId id = next_++;
        classes_[id] = std::move(className);
        children_[parent].push_back(id);
        parents_[id] = parent;
        return id;
    }
    void FailOn(WindowId window) { failing_ = window; }
    // The window is destroyed while its class name is read, as a closing pop-up may be mid-search.
    void DestroyOnRead(WindowId window) { destroyed_ = window; }

    WindowId Desktop() const override { return kDesktop; }
    std::vector<WindowId> Children(WindowId window) const override {
        const auto found = children_.find(window);
        return found == children_.end() ? std::vector<WindowId>() : found->second;
    }
    std::string ClassName(WindowId window) const override {
        if (window == failing_) throw std::runtime_error("class name");
        const std::string name = classes_.at(window);
        if (window == destroyed_) std::erase(children_[parents_.at(window)], window);
        return name;
    }

private:
    WindowId next_ = kDesktop + 1;
    WindowId failing_ = 0;
    WindowId destroyed_ = 0;
    std::map<WindowId, std::string> classes_;
    mutable std::map<WindowId, std::vector<WindowId>> children_;
    std::map<WindowId, WindowId> parents_;
};

// One search of the whole tree from a fresh state: the windows found, in table order.
std::vector<WindowId> SearchDesktop(const ScriptedTree& tree) {
    SearchState state;
    const int count = SearchWindows(state, tree, 0, kNotifierClassPattern);
    EXPECT_EQ(state.depth, 0);
    return std::vector<WindowId>(state.found.begin(), state.found.begin() + count);
}

TEST(WindowSearch, NoMatchingWindowFindsNothing) {
    ScriptedTree tree;
    tree.Add(kDesktop, "Shell_TrayWnd");
    tree.Add(kDesktop, "QXPingoMsgWn");
    EXPECT_EQ(SearchDesktop(tree), std::vector<WindowId>{});
}

TEST(WindowSearch, ClassNamesThatContainThePatternMatchCaseSensitively) {
    ScriptedTree tree;
    const WindowId exact = tree.Add(kDesktop, "QXPingoMsgWnd");
    const WindowId prefixed = tree.Add(kDesktop, "XQXPingoMsgWnd");
    const WindowId suffixed = tree.Add(kDesktop, "QXPingoMsgWndY");
    tree.Add(kDesktop, "qxpingomsgwnd");
    tree.Add(kDesktop, "QXPingo MsgWnd");
    EXPECT_EQ(SearchDesktop(tree), (std::vector<WindowId>{exact, prefixed, suffixed}));
}

TEST(WindowSearch, DescendantsComeBeforeTheirWindowAndSiblingsInZOrder) {
    ScriptedTree tree;
    const WindowId decoy = tree.Add(kDesktop, "Decoy");
    const WindowId underDecoy = tree.Add(decoy, "QXPingoMsgWnd");
    const WindowId top = tree.Add(kDesktop, "QXPingoMsgWnd");
    const WindowId child = tree.Add(top, "XQXPingoMsgWndY");
    const WindowId grandchild = tree.Add(child, "QXPingoMsgWnd");
    const WindowId sibling = tree.Add(top, "QXPingoMsgWnd2");
    tree.Add(top, "Button");
    const WindowId last = tree.Add(kDesktop, "QXPingoMsgWnd");
    EXPECT_EQ(SearchDesktop(tree), (std::vector<WindowId>{underDecoy, grandchild, child, sibling, top, last}));
}

TEST(WindowSearch, AWindowDestroyedDuringTheSearchDoesNotCutOffItsSiblings) {
    ScriptedTree tree;
    const WindowId popup = tree.Add(kDesktop, "#32770");
    tree.Add(popup, "Button");
    const WindowId notifier = tree.Add(kDesktop, "QXPingoMsgWnd");
    tree.DestroyOnRead(popup);
    EXPECT_EQ(SearchDesktop(tree), std::vector<WindowId>{notifier});
}

TEST(WindowSearch, OnlyTheFirstTenFoundAreKept) {
    ScriptedTree tree;
    std::vector<WindowId> windows;
    for (int i = 0; i < 12; ++i) windows.push_back(tree.Add(kDesktop, "QXPingoMsgWnd"));
    EXPECT_EQ(SearchDesktop(tree), std::vector<WindowId>(windows.begin(), windows.begin() + 10));
}

TEST(WindowSearch, AStartWindowLimitsTheSearchToItsDescendants) {
    ScriptedTree tree;
    const WindowId top = tree.Add(kDesktop, "QXPingoMsgWnd");
    const WindowId child = tree.Add(top, "QXPingoMsgWnd");
    tree.Add(kDesktop, "QXPingoMsgWnd");
    SearchState state;
    EXPECT_EQ(SearchWindows(state, tree, top, kNotifierClassPattern), 1);
    EXPECT_EQ(state.found[0], child);
}

TEST(WindowSearch, EverySearchStartsFromAnEmptyTable) {
    ScriptedTree tree;
    tree.Add(kDesktop, "QXPingoMsgWnd");
    tree.Add(kDesktop, "QXPingoMsgWnd");
    SearchState state;
    for (int search = 0; search < 3; ++search) {
        EXPECT_EQ(SearchWindows(state, tree, 0, kNotifierClassPattern), 2);
    }
}

TEST(WindowSearch, AFailedSearchLeavesTheDepthAtZero) {
    ScriptedTree tree;
    const WindowId top = tree.Add(kDesktop, "QXPingoMsgWnd");
    const WindowId child = tree.Add(top, "QXPingoMsgWnd");
    tree.FailOn(child);
    SearchState state;
    EXPECT_THROW(SearchWindows(state, tree, 0, kNotifierClassPattern), std::runtime_error);
    EXPECT_EQ(state.depth, 0);
    tree.FailOn(0);
    EXPECT_EQ(SearchWindows(state, tree, 0, kNotifierClassPattern), 2);
}

TEST(NotifierMessage, TextIsSentWithItsNul) {
    const NotifierMessage message = MakeNotifierMessage(200, "abc");
    EXPECT_EQ(message.code, 200u);
    EXPECT_EQ(message.byteCount, 4u);
    EXPECT_STREQ(message.text, "abc");
}

TEST(NotifierMessage, NoTextSendsNoBytes) {
    const NotifierMessage message = MakeNotifierMessage(100, nullptr);
    EXPECT_EQ(message.code, 100u);
    EXPECT_EQ(message.byteCount, 0u);
    EXPECT_EQ(message.text, nullptr);
}

TEST(NotifierMessage, EmptyTextSendsItsNul) { EXPECT_EQ(MakeNotifierMessage(1, "").byteCount, 1u); }

}  // namespace
}  // namespace pingoproxy
