#pragma once

#include <string>

#include "reception/notification_record.h"

namespace mirelo {

// The notifications that passed the filters, kept beside the store in "<UserKey>_history.xml" when
// KeepHistory is on. Saves are coalesced: what arrives within a short delay is written with one load
// and one save, on a writer thread of its own. Past kHistoryMaxRecords the oldest roll into a dated
// archive file, so that a save never costs more than a file of that size.
inline constexpr int kHistoryMaxRecords = 20000;
inline constexpr int kHistoryKeptAfterRoll = 15000;

// On the user-interface thread, for every notification that passed the filters.
void KeepInHistory(const NotificationRecord& record);
// Writes what still waits and waits for the writer; at exit.
void FlushHistory();
// The history file of this run.
std::string HistoryPath();

}  // namespace mirelo
