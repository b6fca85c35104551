#include "win/nested_loop.h"

namespace mirelo::win {

namespace {

int g_depth = 0;
void (*g_outermostEnd)() = nullptr;

}  // namespace

NestedLoop::NestedLoop() { ++g_depth; }

NestedLoop::~NestedLoop() {
    if (--g_depth == 0 && g_outermostEnd != nullptr) g_outermostEnd();
}

bool NestedLoop::Active() { return g_depth > 0; }

void NestedLoop::SetOutermostEndHandler(void (*handler)()) { g_outermostEnd = handler; }

}  // namespace mirelo::win
