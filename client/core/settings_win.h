#pragma once

#include "core/settings.h"

namespace mirelo {

// The process-wide settings object: built before start-up runs, saved after everything else.
ClientSettings& Settings();

// Reads the desktop work area into WorkArea again (after DisplayPos changed).
void RefreshWorkArea();

}  // namespace mirelo
