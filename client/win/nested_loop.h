#pragma once

namespace mirelo::win {

// Marks a stretch of code that runs a nested message loop: a modal box or dialog, a menu, a COM call
// that pumps, a SendMessage to another thread. Any window procedure may run before it ends, so a
// request to end the program that arrives meanwhile must not destroy windows under the waiting code.
class NestedLoop {
public:
    NestedLoop();
    ~NestedLoop();
    NestedLoop(const NestedLoop&) = delete;
    NestedLoop& operator=(const NestedLoop&) = delete;

    // True while at least one nested loop runs on this (the user-interface) thread.
    static bool Active();
    // Runs when the outermost nested loop has ended (one handler for the process).
    static void SetOutermostEndHandler(void (*handler)());
};

}  // namespace mirelo::win
