#include "store/notification_store.h"

#include <algorithm>
#include <bit>
#include <cstring>
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

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;

std::uint64_t Word(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) { return std::rotl(lane + word * kPrime2, 31) * kPrime1; }

std::string BadName(const std::string& path, int attempt) {
    return attempt == 1 ? path + ".bad" : path + "." + std::to_string(attempt) + ".bad";
}

}  // namespace

void ContentHash::Add(std::string_view bytes) {
    size_ += bytes.size();
    if (pending_ > 0) {
        const std::size_t take = std::min(bytes.size(), kBlock - pending_);
        std::memcpy(block_ + pending_, bytes.data(), take);
        pending_ += take;
        bytes.remove_prefix(take);
        if (pending_ < kBlock) return;
        MixBlock(block_);
        pending_ = 0;
    }
    for (; bytes.size() >= kBlock; bytes.remove_prefix(kBlock)) MixBlock(bytes.data());
    if (!bytes.empty()) std::memcpy(block_, bytes.data(), bytes.size());
    pending_ = bytes.size();
}

void ContentHash::MixBlock(const char* block) {
    for (int lane = 0; lane < 4; ++lane) lanes_[lane] = Mix(lanes_[lane], Word(block + 8 * lane));
}

std::uint64_t ContentHash::Value() const {
    std::uint64_t hash =
        std::rotl(lanes_[0], 1) + std::rotl(lanes_[1], 7) + std::rotl(lanes_[2], 12) + std::rotl(lanes_[3], 18) + size_;
    const char* at = block_;
    const char* const end = block_ + pending_;
    for (; end - at >= 8; at += 8) hash = std::rotl(hash ^ Mix(0, Word(at)), 27) * kPrime1 + kPrime4;
    for (; at < end; ++at) hash = std::rotl(hash ^ (static_cast<unsigned char>(*at) * kPrime3), 11) * kPrime1;
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    return hash ^ (hash >> 32);
}

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

    StoreFiles::Contents contents = files_.Read(path);
    switch (contents.state) {
        case StoreFiles::State::Folder: report.outcome = StoreOutcome::Folder; return report;
        case StoreFiles::State::Unreadable:
            report.outcome = StoreOutcome::Unreadable;
            report.error = contents.error;
            return report;
        case StoreFiles::State::Ok:
        case StoreFiles::State::Missing: break;
    }

    report.firstId = nextId_;
    KnownFile written;
    written.path = path;
    ContentHash hash;
    std::string bytes;  // the new file when it is made anew, the lines added otherwise
    std::vector<std::string_view> pieces;
    if (std::optional<ContentHash> head = KnownHead(path, contents.bytes, selected.size(), cap)) {
        StoreDocument added;
        int id = nextId_;
        for (const NotificationRecord* record : selected) added.Append(*record, id++, codec_);
        bytes = added.SerializeChildren(codec_);
        const std::string_view old = contents.bytes;
        pieces = {old.substr(0, *known_->end), bytes, old.substr(*known_->end)};
        hash = *head;
        hash.Add(pieces[1]);
        hash.Add(pieces[2]);
        report.load = StoreLoad::Loaded;
        report.appended = true;
        written.end = *known_->end + bytes.size();
        written.count = known_->count + selected.size();
    } else {
        std::optional<std::string> rebuilt = Rebuild(contents, path, selected, cap, report, written);
        if (!rebuilt) return report;
        bytes = std::move(*rebuilt);
        pieces = {bytes};
        if (written.end) hash.Add(bytes);
    }

    known_.reset();
    report.error = files_.Replace(path, pieces);
    if (!report.error.empty()) {
        report.outcome = StoreOutcome::Unwritable;
        return report;
    }
    if (written.end) {
        written.hash = hash.Value();
        known_ = std::move(written);
    }
    nextId_ += static_cast<int>(selected.size());
    report.stored = static_cast<int>(selected.size());
    report.outcome = StoreOutcome::Stored;
    return report;
}

std::optional<ContentHash> NotificationStore::KnownHead(const std::string& path, std::string_view bytes,
                                                        std::size_t adding, const StoreCap* cap) const {
    if (!known_ || known_->path != path || !known_->end || *known_->end > bytes.size()) return std::nullopt;
    if (cap != nullptr && known_->count + adding > cap->maxRecords) return std::nullopt;
    ContentHash head;
    head.Add(bytes.substr(0, *known_->end));
    ContentHash whole = head;
    whole.Add(bytes.substr(*known_->end));
    if (whole.Value() != known_->hash) return std::nullopt;
    return head;
}

std::optional<std::string> NotificationStore::Rebuild(const StoreFiles::Contents& contents, const std::string& path,
                                                      const std::vector<const NotificationRecord*>& records,
                                                      const StoreCap* cap, StoreReport& report, KnownFile& written) {
    StoreDocument document;
    if (contents.state == StoreFiles::State::Ok) report.load = document.Load(contents.bytes, codec_);
    if (report.load == StoreLoad::Damaged) {
        report.damage = document.Damage();
        report.keptAs = KeepAside(path, &report.error);
        if (report.keptAs.empty()) {
            report.outcome = StoreOutcome::NotKeptAside;
            return std::nullopt;
        }
    }
    int id = nextId_;
    for (const NotificationRecord* record : records) document.Append(*record, id++, codec_);
    if (cap != nullptr) RollOver(document, path, *cap, report);
    std::string bytes = document.Serialize(codec_);
    written.end = document.AppendPoint(bytes, codec_);
    written.count = document.Count();
    return bytes;
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
