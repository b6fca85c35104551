#include "web/refresh_win.h"

#include "win/log.h"

namespace mirelo {

void StartRefreshThread(int kind) { win::Log("refresh kind=%d\n", kind); }

}  // namespace mirelo
