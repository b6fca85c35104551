#include "store/history_store_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <vector>

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "core/startup_payload.h"
#include "store/history_window_win.h"
#include "store/notification_store.h"
#include "store/notification_store_win.h"
#include "store/record_writer_win.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr UINT kSaveDelayMs = 2000;
// Records waiting for the writer; past this the oldest are dropped.
constexpr std::size_t kMaxWaiting = 10000;
constexpr DWORD kExitWaitMs = 10000;

NotificationStore& HistoryStore() {
    static NotificationStore store(WindowsStoreFiles(), SystemCodec());
    return store;
}

std::string Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

void Write(const std::vector<NotificationRecord>& records, const std::string& path, const std::string& userKey) {
    try {
        const std::string folder = FolderOf(path);
        const std::string date = Today();
        const StoreCap cap{kHistoryMaxRecords, kHistoryKeptAfterRoll,
                           [&](int attempt) { return folder + HistoryArchiveName(userKey, date, attempt); }};
        const StoreReport report = HistoryStore().Save(
            records, path, [] { return SaveOptions{}; }, &cap);
        win::LogText("history " + DescribeStoreReport(report, path) + "\n");
        if (report.stored > 0) PostHistoryChanged();
    } catch (const std::exception& error) {
        win::Log("history: %d not stored: %s\n", static_cast<int>(records.size()), error.what());
    }
}

RecordWriter& HistoryWriter() {
    static RecordWriter writer("history", kSaveDelayMs, kMaxWaiting, [] {
        return [path = HistoryPath(), userKey = Settings().UserKey](const std::vector<NotificationRecord>& records) {
            Write(records, path, userKey);
        };
    });
    return writer;
}

}  // namespace

std::string HistoryPath() {
    const ClientSettings& settings = Settings();
    return FolderOf(settings.StoreFile) + HistoryFileName(settings.UserKey);
}

void KeepInHistory(const NotificationRecord& record) { HistoryWriter().Add(std::span(&record, 1)); }

void FlushHistory() { HistoryWriter().Flush(kExitWaitMs); }

}  // namespace mirelo
