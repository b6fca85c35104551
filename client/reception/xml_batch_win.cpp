#include "reception/xml_batch_win.h"

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "reception/xml_batch.h"
#include "store/notification_store_win.h"
#include "win/log.h"

#include <exception>

namespace mirelo {

void ReadXmlBatch(const std::string& text) {
    win::Log("xml batch length=%d\n", static_cast<int>(text.size()));
    try {
        const ClientSettings& settings = Settings();
        std::string rejected;
        const std::vector<NotificationRecord> records = BatchRecords(text, settings.UserKey, SystemCodec(), &rejected);
        if (!rejected.empty()) {
            win::LogText("xml batch rejected: " + rejected + "\n");
            return;
        }
        win::Log("xml batch: %d notifications\n", static_cast<int>(records.size()));
        if (!records.empty()) StoreNotifications(records);
    } catch (const std::exception& error) {
        // A batch too large for memory is dropped; the connection and the client go on.
        win::Log("xml batch not read: %s\n", error.what());
    }
}

}  // namespace mirelo
