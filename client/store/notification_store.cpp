#include "store/notification_store.h"

#include <vector>

namespace mirelo {

namespace {

constexpr int kBadNameAttempts = 100;

enum KindMask : std::uint32_t {
    kMaskMail = 1,
    kMaskBbs = 2,
    kMaskApproval = 4,
    kMaskSchedule = 8,
};

std::string BadName(const std::string& path, int attempt) {
    return attempt == 1 ? path + ".bad" : path + "." + std::to_string(attempt) + ".bad";
}

}  // namespace

std::string SaveOptionsSubkey(std::string_view userKey) {
    return "xnf_auto_file\\Settings\\" + std::string(userKey) + "\\";
}

bool PassesSaveOptions(const NotificationRecord& record, const SaveOptions& options) {
    if (options.saveOption != 1) return false;
    if (options.urgency == 1 && record.flag != 1) return false;
    const int kind = record.kind;
    if ((options.appTypes & kMaskMail) == 0 && kind == kKindMail) return false;
    if ((options.appTypes & kMaskBbs) == 0 && kind == kKindBbs) return false;
    if ((options.appTypes & kMaskApproval) == 0 && kind >= kKindApprovalFirst && kind <= kKindApprovalLast) {
        return false;
    }
    if ((options.appTypes & kMaskSchedule) == 0 && kind == kKindSchedule) return false;
    return true;
}

StoreReport NotificationStore::Save(std::span<const NotificationRecord> records, const std::string& path,
                                    const std::function<SaveOptions()>& options, const StoreCap* cap) {
    StoreReport report;
    std::vector<const NotificationRecord*> selected;
    for (const NotificationRecord& record : records) {
        if (PassesSaveOptions(record, options())) {
            selected.push_back(&record);
        } else {
            ++report.filtered;
        }
    }
    report.passed = static_cast<int>(selected.size());
    if (selected.empty()) return report;

    const StoreFiles::Contents contents = files_.Read(path);
    switch (contents.state) {
        case StoreFiles::State::Folder: report.outcome = StoreOutcome::Folder; return report;
        case StoreFiles::State::Unreadable:
            report.outcome = StoreOutcome::Unreadable;
            report.error = contents.error;
            return report;
        case StoreFiles::State::Ok:
        case StoreFiles::State::Missing: break;
    }

    StoreDocument document;
    if (contents.state == StoreFiles::State::Ok) report.load = document.Load(contents.bytes, codec_);
    if (report.load == StoreLoad::Damaged) {
        report.damage = document.Damage();
        report.keptAs = KeepAside(path, &report.error);
        if (report.keptAs.empty()) {
            report.outcome = StoreOutcome::NotKeptAside;
            return report;
        }
    }

    report.firstId = nextId_;
    int id = nextId_;
    for (const NotificationRecord* record : selected) document.Append(*record, id++, codec_);
    if (cap != nullptr) RollOver(document, path, *cap, report);
    report.error = files_.Replace(path, document.Serialize(codec_));
    if (!report.error.empty()) {
        report.outcome = StoreOutcome::Unwritable;
        return report;
    }
    nextId_ = id;
    report.stored = static_cast<int>(selected.size());
    report.outcome = StoreOutcome::Stored;
    return report;
}

std::string NotificationStore::KeepAside(const std::string& path, std::string* error) {
    for (int attempt = 1; attempt <= kBadNameAttempts; ++attempt) {
        const std::string target = BadName(path, attempt);
        switch (files_.MoveAside(path, target, error)) {
            case StoreFiles::Move::Moved: return target;
            case StoreFiles::Move::TargetExists: continue;
            case StoreFiles::Move::Failed: return {};
        }
    }
    *error = "every name up to " + BadName(path, kBadNameAttempts) + " is taken";
    return {};
}

void NotificationStore::RollOver(StoreDocument& document, const std::string& path, const StoreCap& cap,
                                 StoreReport& report) {
    const std::size_t count = document.Count();
    if (count <= cap.maxRecords || cap.keepRecords >= count || !cap.archivePath) return;
    const std::size_t oldest = count - cap.keepRecords;
    // The archive is written whole beside the file first and then given its name, so that an archive
    // is either complete or absent; the file gives the records up only once they are there.
    const std::string written = path + ".roll";
    report.rollError = files_.Replace(written, document.CopyOldest(oldest).Serialize(codec_));
    if (!report.rollError.empty()) return;
    for (int attempt = 1; attempt <= kBadNameAttempts; ++attempt) {
        const std::string target = cap.archivePath(attempt);
        switch (files_.MoveAside(written, target, &report.rollError)) {
            case StoreFiles::Move::Moved:
                document.RemoveOldest(oldest);
                report.rolled = static_cast<int>(oldest);
                report.archive = target;
                return;
            case StoreFiles::Move::TargetExists: continue;
            case StoreFiles::Move::Failed: return;
        }
    }
    report.rollError = "every archive name up to " + cap.archivePath(kBadNameAttempts) + " is taken";
}

std::string DescribeStoreReport(const StoreReport& report, const std::string& path) {
    const std::string counts =
        std::to_string(report.stored) + " stored, " + std::to_string(report.filtered) + " filtered by the save options";
    const std::string notStored = "store: " + std::to_string(report.passed) + " not stored, ";
    switch (report.outcome) {
        case StoreOutcome::Stored: {
            std::string text = "store: " + counts + " in " + path + " (ids " + std::to_string(report.firstId) + " to " +
                               std::to_string(report.firstId + report.stored - 1) + ")";
            if (report.load == StoreLoad::Damaged) {
                text += "; the damaged file (" + report.damage + ") was kept as " + report.keptAs;
            }
            if (report.rolled > 0) {
                text += "; the oldest " + std::to_string(report.rolled) + " moved to " + report.archive;
            }
            if (!report.rollError.empty()) text += "; the oldest could not be archived: " + report.rollError;
            return text;
        }
        case StoreOutcome::NothingToStore: return "store: nothing to store, " + counts;
        case StoreOutcome::Folder: return notStored + path + " is a folder";
        case StoreOutcome::Unreadable: return notStored + path + " could not be read: " + report.error;
        case StoreOutcome::NotKeptAside:
            return notStored + "the damaged " + path + " (" + report.damage +
                   ") could not be kept aside: " + report.error;
        case StoreOutcome::Unwritable: return notStored + path + " could not be written: " + report.error;
    }
    return "store: ?";
}

}  // namespace mirelo
