#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "reception/notification_record.h"

namespace mirelo {

class WorkerPool;

// Records kept in a file by a writer thread of their own: loading and saving a large file must not
// hold up the windows. Records are added on the user-interface thread; what arrives while the writer
// is busy waits and goes with its next save, so a burst costs one save, not one per notification.
// Past maxWaiting records the oldest waiting are dropped: a writer that cannot keep up must not hold
// a whole flood in memory.
class RecordWriter {
public:
    using Save = std::function<void(const std::vector<NotificationRecord>&)>;
    // Called on the user-interface thread when records are handed over: the save it returns runs on
    // the writer thread, so it takes what it needs from the settings now.
    using PrepareSave = std::function<Save()>;

    // name starts the log lines; delayMs: how long added records wait before they are handed over
    // (0: at once when the writer is free).
    RecordWriter(const char* name, UINT delayMs, std::size_t maxWaiting, PrepareSave prepare);
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void Add(std::span<const NotificationRecord> records);
    // Hands over what waits and waits for the writer, at most timeoutMs in all; at exit.
    void Flush(DWORD timeoutMs);

private:
    bool HandOver();
    void ArmTimer(UINT delayMs);
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);

    const char* name_;
    const UINT delayMs_;
    const std::size_t maxWaiting_;
    const PrepareSave prepare_;
    WorkerPool& writer_;
    std::vector<NotificationRecord> waiting_;
    UINT_PTR timer_ = 0;
};

}  // namespace mirelo
