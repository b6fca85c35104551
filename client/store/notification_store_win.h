#pragma once

#include <span>
#include <string>

#include "reception/notification_record.h"

namespace mirelo {

// Appends the records that the user's save options let through to the store file, with one read and
// one write of the file, and logs one line that says what happened. A store that cannot be read or
// written stores nothing and leaves the file as it was; nothing is shown to the user. Runs on the
// user-interface thread.
void SaveNotifications(std::span<const NotificationRecord> records, const std::string& storePath);

// The same for one record.
void SaveNotification(const NotificationRecord& record, const std::string& storePath);

class StoreFiles;
// The store's file operations on Windows; they hold no state, so any thread may use them.
StoreFiles& WindowsStoreFiles();

}  // namespace mirelo
