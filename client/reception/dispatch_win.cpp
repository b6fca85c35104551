#include "reception/dispatch_win.h"

#include "core/main_frame_win.h"
#include "reception/notify_client_win.h"
#include "win/log.h"

namespace mirelo {

void Dispatch(int kind, const char* payload, int length) {
    win::Log("dispatch kind=%d length=%d\n", kind, length);
    if (CNotifyClient* client = NotifyClient()) client->StartBlink();
}

void ReadXmlBatch(const std::string& text) { win::Log("xml batch length=%d\n", static_cast<int>(text.size())); }

void StartRefreshThread(int kind) { win::Log("refresh kind=%d\n", kind); }

}  // namespace mirelo
