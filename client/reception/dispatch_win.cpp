#include "reception/dispatch_win.h"

#include "core/main_frame_win.h"
#include "reception/notify_client_win.h"
#include "win/log.h"

namespace mirelo {

void Dispatch(int kind, const char* payload, int length) {
    win::Log("dispatch kind=%d length=%d\n", kind, length);
    if (CNotifyClient* client = NotifyClient()) client->StartBlink();
}

}  // namespace mirelo
