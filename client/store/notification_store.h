#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

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
    // Writes the bytes to a temporary file beside the path and renames it over the path, so that the
    // path holds either the old or the new bytes whatever happens. Returns "" or why it failed.
    virtual std::string Replace(const std::string& path, std::string_view bytes) = 0;
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
    std::string damage;                 // why the file was found damaged
    std::string keptAs;                 // where a damaged file went
    std::string error;
    int rolled = 0;         // the oldest records moved to the archive
    std::string archive;    // where they went
    std::string rollError;  // why the roll-over failed (the file then keeps them)
};

// The history of notifications in the store file. One object per process: it numbers the stored
// elements from 0 in every run.
class NotificationStore {
public:
    NotificationStore(StoreFiles& files, const TextCodec& codec) : files_(files), codec_(codec) {}

    // Appends every record the options let through to the file, in order, with one read and one write.
    // The options are asked for each record, so a change takes effect with the next record.
    // With a cap, the oldest records roll over into an archive as the cap says.
    StoreReport Save(std::span<const NotificationRecord> records, const std::string& path,
                     const std::function<SaveOptions()>& options, const StoreCap* cap = nullptr);

    int NextId() const { return nextId_; }

private:
    // Moves a damaged file to the first free "<name>.bad", "<name>.2.bad", ...; "" when none could be used.
    std::string KeepAside(const std::string& path, std::string* error);
    // Moves the oldest records past the cap into a new archive file.
    void RollOver(StoreDocument& document, const std::string& path, const StoreCap& cap, StoreReport& report);

    StoreFiles& files_;
    const TextCodec& codec_;
    int nextId_ = 0;
};

// One log line for the report, without its line end.
std::string DescribeStoreReport(const StoreReport& report, const std::string& path);

}  // namespace mirelo
