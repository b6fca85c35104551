// store-bench [--store N] [--batch N] [--single N] [--summary]
//
// Appends a batch of records (default 1,000) to a store file of N records (default 100,000), once as
// the client stores an XML batch (one read and one write of the file for the whole batch) and once one
// record at a time (a read and a write per record, as storing each record on its own does). Both start
// from the same file; the times and their ratio are printed. The batch is timed as the first save of a
// run (which parses the file) and as a running client's save (which adds to the file it wrote). --single limits how
// many records the second run stores and scales its time up to the whole batch. Then the batch is timed against stores
// of a quarter, a half and the whole size, to show how the time grows with the store.
// The batch is also set against a plain read and write of the same file through the store's own
// file operations; --summary stops after that figure. The records carry Korean texts in code page 949, as on a Korean
// desktop.

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../bench_common.h"
#include "store/notification_store.h"
#include "store/store_files_posix.h"

namespace {

namespace fs = std::filesystem;
using bench::kCodec;
using bench::Number;
using bench::Records;
using Clock = std::chrono::steady_clock;

struct Settings {
    int store = 100000;
    int batch = 1000;
    int single = 0;        // 0: the whole batch one at a time
    bool summary = false;  // only the batch against the plain read and write
};

// A batch may cost at most this many times a plain read and write of the same file.
constexpr double kGoalRatio = 3.0;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

bool ParseArgs(int argc, char** argv, Settings* settings) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--summary") == 0) {
            settings->summary = true;
            continue;
        }
        int* target = std::strcmp(argv[i], "--store") == 0    ? &settings->store
                      : std::strcmp(argv[i], "--batch") == 0  ? &settings->batch
                      : std::strcmp(argv[i], "--single") == 0 ? &settings->single
                                                              : nullptr;
        const std::optional<int> value = i + 1 < argc ? Number(argv[i + 1]) : std::nullopt;
        if (target == nullptr || !value) return false;
        *target = *value;
        ++i;
    }
    return true;
}

class Bench {
public:
    explicit Bench(fs::path folder) : folder_(std::move(folder)) {}

    // A store file of the given size, made once and copied for every run that needs it.
    fs::path Store(int records) {
        const fs::path path = folder_ / ("store-" + std::to_string(records) + ".xml");
        if (!fs::exists(path)) {
            mirelo::NotificationStore store(files_, kCodec);
            store.Save(Records(records, 0), path.string(), [] { return mirelo::SaveOptions{}; });
        }
        return path;
    }

    fs::path Copy(const fs::path& store) {
        const fs::path work = folder_ / "work.xml";
        fs::copy_file(store, work, fs::copy_options::overwrite_existing);
        return work;
    }

    // The batch appended with one save; returns the time taken. The processor time is kept too: on a
    // busy machine it shows the cost that the elapsed time hides. `running`: the store wrote the file
    // before (one record), as a client does once it has stored anything since it started; otherwise the
    // save is the first of a run and parses the file.
    double Batch(const fs::path& store, const std::vector<mirelo::NotificationRecord>& batch, bool running) {
        // A running client's batch is short: best of three, like the plain read and write, so that one
        // run slowed down by a busy machine does not decide the ratio.
        double best = 0;
        for (int run = 0; run < (running ? 3 : 1); ++run) {
            const fs::path work = Copy(store);
            mirelo::NotificationStore notificationStore(files_, kCodec);
            if (running) notificationStore.Save(Records(1, 0), work.string(), [] { return mirelo::SaveOptions{}; });
            const auto start = Clock::now();
            const std::clock_t cpuStart = std::clock();
            const mirelo::StoreReport report =
                notificationStore.Save(batch, work.string(), [] { return mirelo::SaveOptions{}; });
            const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
            const double seconds = Seconds(Clock::now() - start);
            if (report.stored != static_cast<int>(batch.size()))
                std::fprintf(stderr, "store-bench: batch not stored\n");
            if (report.appended != running)
                std::fprintf(stderr, "store-bench: the file was not added to as expected\n");
            if (run == 0 || seconds < best) {
                best = seconds;
                lastCpu_ = cpu;
            }
        }
        return best;
    }

    double LastCpu() const { return lastCpu_; }

    // The same file read and written back through the store's own file operations, with no XML work:
    // the floor that the batch is measured against. Best of three.
    double PlainReadWrite(const fs::path& store) {
        const fs::path work = Copy(store);
        double best = 0;
        for (int run = 0; run < 3; ++run) {
            const auto start = Clock::now();
            const mirelo::StoreFiles::Contents contents = files_.Read(work.string());
            const std::string error = files_.Replace(work.string(), contents.bytes);
            const double seconds = Seconds(Clock::now() - start);
            if (!error.empty()) std::fprintf(stderr, "store-bench: %s\n", error.c_str());
            best = run == 0 ? seconds : std::min(best, seconds);
        }
        return best;
    }

    // The first `count` records of the batch, each with its own read and write.
    double OneByOne(const fs::path& store, const std::vector<mirelo::NotificationRecord>& batch, int count) {
        const fs::path work = Copy(store);
        mirelo::NotificationStore notificationStore(files_, kCodec);
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            notificationStore.Save(std::span(&batch[static_cast<std::size_t>(i)], 1), work.string(),
                                   [] { return mirelo::SaveOptions{}; });
        }
        return Seconds(Clock::now() - start);
    }

private:
    fs::path folder_;
    mirelo::PosixStoreFiles files_;
    double lastCpu_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is known: the second run takes minutes
    Settings settings;
    if (!ParseArgs(argc, argv, &settings)) {
        std::fprintf(stderr, "usage: store-bench [--store N] [--batch N] [--single N] [--summary]\n");
        return 2;
    }
    const int single = settings.single > 0 ? std::min(settings.single, settings.batch) : settings.batch;
    std::string pattern = (fs::temp_directory_path() / "store-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("store-bench: temporary folder");
        return 1;
    }
    const fs::path folder(pattern);
    Bench bench(folder);
    const std::vector<mirelo::NotificationRecord> batch = Records(settings.batch, settings.store);

    const fs::path store = bench.Store(settings.store);
    std::printf("store of %d records (%.1f MB), batch of %d records\n", settings.store,
                static_cast<double>(fs::file_size(store)) / 1e6, settings.batch);
    const double firstSeconds = bench.Batch(store, batch, false);
    std::printf("batch, first save of a run:        %8.3f s (%.3f s processor time)\n", firstSeconds, bench.LastCpu());
    const double batchSeconds = bench.Batch(store, batch, true);
    std::printf("batch, client already running:     %8.3f s (%.3f s processor time)\n", batchSeconds, bench.LastCpu());
    const double plainSeconds = bench.PlainReadWrite(store);
    const double plainRatio = batchSeconds / plainSeconds;
    std::printf("plain read and write of the file:  %8.3f s\n", plainSeconds);
    std::printf("  first save of a run parses the file: %.3f s, ratio %.2f (no goal)\n", firstSeconds,
                firstSeconds / plainSeconds);
    std::printf(
        "RESULT store batch of %d into %d records | %.3f s against %.3f s plain read and write, ratio %.2f "
        "| <= %.0f x plain read and write | %s\n",
        settings.batch, settings.store, batchSeconds, plainSeconds, plainRatio, kGoalRatio,
        plainRatio <= kGoalRatio ? "met" : "NOT met");
    if (settings.summary) {
        fs::remove_all(folder);
        return 0;
    }
    const double singleSeconds = bench.OneByOne(store, batch, single) * settings.batch / single;
    std::printf("one record at a time (%d saves): %8.3f s%s\n", settings.batch, singleSeconds,
                single < settings.batch ? (" (" + std::to_string(single) + " timed, scaled up)").c_str() : "");
    std::printf("ratio:                             %8.1fx\n", singleSeconds / batchSeconds);

    std::printf("batch time by store size:\n");
    for (const int size : {settings.store / 4, settings.store / 2, settings.store}) {
        const double seconds = bench.Batch(bench.Store(size), batch, true);
        std::printf("  %8d records  %8.3f s  %6.3f s per 10,000 records  (%.3f s processor time)\n", size, seconds,
                    seconds * 10000 / size, bench.LastCpu());
    }
    fs::remove_all(folder);
    return 0;
}
