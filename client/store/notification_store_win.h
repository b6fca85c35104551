#pragma once

#include <span>
#include <string>

#include "reception/notification_record.h"

namespace mirelo {

// Appends the records that the user's save options let through to the store file of this run, with
// one read and one write of the file, and logs one line that says what happened. A store that cannot
// be read or written stores nothing and leaves the file as it was; nothing is shown to the user. The
// file is written by a thread of its own: batches that arrive while it writes go with its next save.
void StoreNotifications(std::span<const NotificationRecord> records);
// Hands over what waits and waits for the writer; at exit.
void FlushStore();

class StoreFiles;
// The store's file operations on Windows; they hold no state, so any thread may use them.
StoreFiles& WindowsStoreFiles();

}  // namespace mirelo
