#include "store/history_store_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "core/startup_payload.h"
#include "core/worker_pool.h"
#include "store/history_window_win.h"
#include "store/notification_store.h"
#include "store/notification_store_win.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr UINT kSaveDelayMs = 2000;
// Records waiting for the writer; past this the oldest are dropped (a writer that cannot keep up
// must not hold the whole flood in memory).
constexpr std::size_t kMaxWaiting = 10000;
constexpr DWORD kExitWaitMs = 10000;

std::vector<NotificationRecord> g_waiting;  // user-interface thread only
UINT_PTR g_timer = 0;

// One writer: the history store numbers its elements and is never used by two threads at once.
WorkerPool& HistoryWriter() {
    // Never destroyed: a save still running at process end must not lose its pool under it.
    static WorkerPool* const pool = new WorkerPool(1, 1);
    return *pool;
}

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

// Hands what waits to the writer; when it is busy, the records wait for the next tick.
bool HandOver() {
    if (g_waiting.empty()) return true;
    auto records = std::make_shared<std::vector<NotificationRecord>>(std::move(g_waiting));
    g_waiting.clear();
    const std::string path = HistoryPath();
    const std::string userKey = Settings().UserKey;
    if (HistoryWriter().Post([records, path, userKey] { Write(*records, path, userKey); })) return true;
    g_waiting = std::move(*records);
    return false;
}

void CALLBACK OnSaveTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!HandOver()) return;
    KillTimer(nullptr, g_timer);
    g_timer = 0;
}

}  // namespace

std::string HistoryPath() {
    const ClientSettings& settings = Settings();
    return FolderOf(settings.StoreFile) + HistoryFileName(settings.UserKey);
}

void KeepInHistory(const NotificationRecord& record) {
    g_waiting.push_back(record);
    if (g_waiting.size() > kMaxWaiting) {
        g_waiting.erase(g_waiting.begin());
        win::Log("history: the writer is behind; the oldest waiting notification is dropped\n");
    }
    if (g_timer == 0) g_timer = SetTimer(nullptr, 0, kSaveDelayMs, &OnSaveTimer);
}

void FlushHistory() {
    if (g_timer != 0) {
        KillTimer(nullptr, g_timer);
        g_timer = 0;
    }
    const DWORD start = GetTickCount();
    while (!HandOver() && GetTickCount() - start < kExitWaitMs) Sleep(20);
    while (HistoryWriter().Pending() > 0 && GetTickCount() - start < kExitWaitMs) Sleep(20);
}

}  // namespace mirelo
