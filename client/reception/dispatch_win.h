#pragma once

namespace mirelo {

// Routes one received notification by its kind.
void Dispatch(int kind, const char* payload, int length);

}  // namespace mirelo
