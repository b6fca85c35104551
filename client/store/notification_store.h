#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_page.h"
#include "reception/notification_record.h"
#include "store/store_document.h"

namespace mirelo {

// The user's save options, read from the registry with these defaults.
struct SaveOptions {
    std::uint32_t saveOption = 1;  // "SaveOption": 1 stores, anything else stores nothing
    std::uint32_t urgency = 0;     // "SaveOptionUrgency": 1 stores only records whose flag is 1
    std::uint32_t appTypes = 15;   // "SaveOptionAppTypes": 1 mail, 2 bulletin board, 4 approval, 8 schedule
};

inline constexpr char kSaveOptionsRoot[] = "HKCR";
inline constexpr char kSaveOptionName[] = "SaveOption";
inline constexpr char kSaveOptionUrgencyName[] = "SaveOptionUrgency";
inline constexpr char kSaveOptionAppTypesName[] = "SaveOptionAppTypes";

// The registry subkey of the user's save options: "xnf_auto_file\Settings\" + user key + "\".
std::string SaveOptionsSubkey(std::string_view userKey);

// True when the options let the record into the store.
bool PassesSaveOptions(const NotificationRecord& record, const SaveOptions& options);

// What the store needs from the file system.
class StoreFiles {
public:
    enum class State { Ok, Missing, Folder, Unreadable };
    struct Contents {
        State state = State::Missing;
        std::string bytes;
        std::string error;  // why it is unreadable
    };
    enum class Move { Moved, TargetExists, Failed };

    virtual ~StoreFiles() = default;
    virtual Contents Read(const std::string& path) = 0;
    // Writes the pieces one after the other to a temporary file beside the path and renames it over the
    // path, so that the path holds either the old or the new bytes whatever happens. Returns "" or why
    // it failed. Pieces spare the caller a copy of a large file to insert a few lines into it.
    virtual std::string Replace(const std::string& path, std::span<const std::string_view> pieces) = 0;
    std::string Replace(const std::string& path, std::string_view bytes) { return Replace(path, std::span(&bytes, 1)); }
    // Renames a file unless the target exists. *error says why it failed.
    virtual Move MoveAside(const std::string& from, const std::string& to, std::string* error) = 0;
};

enum class StoreOutcome {
    Stored,          // the records are in the file
    NothingToStore,  // the save options let nothing through: the file was not touched
    Folder,          // the path names a folder: nothing stored
    Unreadable,      // the file exists but could not be read (locked, no access): nothing stored, file kept
    NotKeptAside,    // the file is damaged and could not be moved aside: nothing stored, file kept
    Unwritable,      // the new file could not be written or renamed: nothing stored, old file kept
};

// A bound on a store file: when a save leaves more than maxRecords elements, the oldest go to an
// archive file of their own and the file keeps the newest keepRecords. archivePath names the
// archive for attempt 1, 2, ...; a name already taken is never overwritten.
struct StoreCap {
    std::size_t maxRecords = 0;
    std::size_t keepRecords = 0;
    std::function<std::string(int attempt)> archivePath;
};

struct StoreReport {
    StoreOutcome outcome = StoreOutcome::NothingToStore;
    int passed = 0;  // records the save options let through
    int stored = 0;
    int filtered = 0;
    int firstId = 0;
    StoreLoad load = StoreLoad::Empty;  // what the existing file held (Empty also when it was missing)
    bool appended = false;              // the file was the one this store last wrote: added to, not parsed
    std::string damage;                 // why the file was found damaged
    std::string keptAs;                 // where a damaged file went
    std::string error;
    int rolled = 0;         // the oldest records moved to the archive
    std::string archive;    // where they went
    std::string rollError;  // why the roll-over failed (the file then keeps them)
};

// A 64-bit hash of bytes given in pieces, that tells the file a store last wrote from any other. Four
// lanes of eight bytes keep it several times faster than reading the file.
class ContentHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    static constexpr std::size_t kBlock = 32;
    void MixBlock(const char* block);

    std::uint64_t lanes_[4] = {0x9E3779B185EBCA87ULL + 0xC2B2AE3D27D4EB4FULL, 0xC2B2AE3D27D4EB4FULL, 0,
                               0 - 0x9E3779B185EBCA87ULL};
    char block_[kBlock] = {};
    std::size_t pending_ = 0;
    std::uint64_t size_ = 0;
};

// The history of notifications in the store file. One object per process: it numbers the stored
// elements from 0 in every run. It remembers the file it last wrote (a hash of its bytes and where its
// root closes): while the file still holds exactly those bytes, the next records are written
// in before the root's closing tag without parsing the file, which gives the bytes a parse would give.
class NotificationStore {
public:
    NotificationStore(StoreFiles& files, const TextCodec& codec) : files_(files), codec_(codec) {}

    // Appends every record the options let through to the file, in order, with one read and one write.
    // The options are asked for each record, so a change takes effect with the next record.
    // With a cap, the oldest records roll over into an archive as the cap says.
    StoreReport Save(std::span<const NotificationRecord> records, const std::string& path,
                     const std::function<SaveOptions()>& options, const StoreCap* cap = nullptr);

    int NextId() const { return nextId_; }
    // Forgets the file last written: the next save parses the file, as the first save of a run does.
    void Forget() { known_.reset(); }

private:
    // The file as this store last wrote it.
    struct KnownFile {
        std::string path;
        std::uint64_t hash = 0;
        std::optional<std::size_t> end;  // where the root's closing tag starts; nullopt: not to be added to
        std::size_t count = 0;           // "Notification" elements below the root
    };

    // The hash of the bytes read up to the root's closing tag, when they are the file last written and
    // no roll-over is due.
    std::optional<ContentHash> KnownHead(const std::string& path, std::string_view bytes, std::size_t adding,
                                         const StoreCap* cap) const;
    // The new bytes of the file the way a first save makes them: the bytes read are parsed, the records
    // appended and the oldest rolled over. nullopt when nothing may be stored (the report says why).
    std::optional<std::string> Rebuild(const StoreFiles::Contents& contents, const std::string& path,
                                       const std::vector<const NotificationRecord*>& records, const StoreCap* cap,
                                       StoreReport& report, KnownFile& written);
    // Moves a damaged file to the first free "<name>.bad", "<name>.2.bad", ...; "" when none could be used.
    std::string KeepAside(const std::string& path, std::string* error);
    // Moves the oldest records past the cap into a new archive file.
    void RollOver(StoreDocument& document, const std::string& path, const StoreCap& cap, StoreReport& report);

    StoreFiles& files_;
    const TextCodec& codec_;
    int nextId_ = 0;
    std::optional<KnownFile> known_;
};

// One log line for the report, without its line end.
std::string DescribeStoreReport(const StoreReport& report, const std::string& path);

}  // namespace mirelo
