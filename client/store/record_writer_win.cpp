#include "store/record_writer_win.h"

#include <map>
#include <memory>
#include <utility>

#include "core/worker_pool.h"
#include "win/log.h"

namespace mirelo {

namespace {

// A busy writer is asked again this often.
constexpr UINT kRetryMs = 200;
constexpr DWORD kFlushPollMs = 20;

std::map<UINT_PTR, RecordWriter*>& Timers() {
    static std::map<UINT_PTR, RecordWriter*> timers;
    return timers;
}

}  // namespace

RecordWriter::RecordWriter(const char* name, UINT delayMs, std::size_t maxWaiting, PrepareSave prepare)
    : name_(name),
      delayMs_(delayMs),
      maxWaiting_(maxWaiting),
      prepare_(std::move(prepare)),
      // Never destroyed: a save still running at process end must not lose its pool under it. One
      // thread: a store file is never written by two at once, and the saves keep their order.
      writer_(*new WorkerPool(1, 1)) {}

void RecordWriter::Add(std::span<const NotificationRecord> records) {
    waiting_.insert(waiting_.end(), records.begin(), records.end());
    if (waiting_.size() > maxWaiting_) {
        const std::size_t dropped = waiting_.size() - maxWaiting_;
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(dropped));
        win::Log("%s: the writer is behind; the oldest %u waiting notifications are dropped\n", name_,
                 static_cast<unsigned>(dropped));
    }
    if (timer_ != 0) return;
    if (delayMs_ == 0 && HandOver()) return;
    ArmTimer(delayMs_ == 0 ? kRetryMs : delayMs_);
}

void RecordWriter::Flush(DWORD timeoutMs) {
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
        Timers().erase(timer_);
        timer_ = 0;
    }
    const DWORD start = GetTickCount();
    while (!HandOver() && GetTickCount() - start < timeoutMs) Sleep(kFlushPollMs);
    while (writer_.Pending() > 0 && GetTickCount() - start < timeoutMs) Sleep(kFlushPollMs);
}

bool RecordWriter::HandOver() {
    if (waiting_.empty()) return true;
    auto records = std::make_shared<std::vector<NotificationRecord>>(std::move(waiting_));
    waiting_.clear();
    Save save = prepare_();
    if (writer_.Post([records, save = std::move(save)] { save(*records); })) return true;
    waiting_ = std::move(*records);
    return false;
}

void RecordWriter::ArmTimer(UINT delayMs) {
    timer_ = SetTimer(nullptr, 0, delayMs, &RecordWriter::OnTimer);
    if (timer_ != 0) Timers()[timer_] = this;
}

void CALLBACK RecordWriter::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = Timers().find(id);
    if (found == Timers().end()) {
        KillTimer(nullptr, id);
        return;
    }
    RecordWriter& writer = *found->second;
    if (!writer.HandOver()) return;
    KillTimer(nullptr, id);
    Timers().erase(found);
    writer.timer_ = 0;
}

}  // namespace mirelo
