#include "store/notification_store_win.h"

#include <windows.h>

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "store/history_window_win.h"
#include "store/notification_store.h"
#include "store/record_writer_win.h"
#include "store/registry_win.h"
#include "win/async_socket.h"
#include "win/handles.h"
#include "win/log.h"

#include <exception>
#include <vector>

namespace mirelo {

namespace {

constexpr DWORD kReadPiece = 65536;
// Records of batches waiting for the writer; past this the oldest are dropped.
constexpr std::size_t kMaxWaiting = 100000;
constexpr DWORD kExitWaitMs = 10000;

std::string LastErrorText() { return win::ErrorText(static_cast<int>(GetLastError())); }

win::UniqueKernelHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    const HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return win::UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

class Win32StoreFiles final : public StoreFiles {
public:
    Contents Read(const std::string& path) override {
        Contents contents;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return contents;
            return Unreadable(win::ErrorText(static_cast<int>(error)));
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            contents.state = State::Folder;
            return contents;
        }
        // Others may keep the file open for reading or writing; a program that holds it exclusively
        // makes the open fail with a sharing violation, and the file is then left alone.
        const win::UniqueKernelHandle file =
            OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        if (!file) return Unreadable(LastErrorText());
        char buffer[kReadPiece];
        DWORD count = 0;
        while (true) {
            if (!ReadFile(file.Get(), buffer, kReadPiece, &count, nullptr)) return Unreadable(LastErrorText());
            if (count == 0) break;
            contents.bytes.append(buffer, count);
        }
        contents.state = State::Ok;
        return contents;
    }

    using StoreFiles::Replace;
    std::string Replace(const std::string& path, std::span<const std::string_view> pieces) override {
        // Windows refuses to rename over a read-only file, and Wine lets it through: the attribute is
        // honoured here, so that a history the user protected stays as it is on both.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return win::ErrorText(ERROR_ACCESS_DENIED);
        }
        const std::string temporary = path + ".tmp";
        win::UniqueKernelHandle file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file) return LastErrorText();
        bool written = true;
        for (const std::string_view bytes : pieces) written = written && WriteAll(file.Get(), bytes);
        written = written && FlushFileBuffers(file.Get());
        std::string error = written ? std::string() : LastErrorText();
        file.Reset();
        if (written) {
            if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return {};
            }
            error = LastErrorText();
        }
        DeleteFileA(temporary.c_str());
        return error;
    }

    Move MoveAside(const std::string& from, const std::string& to, std::string* error) override {
        if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) return Move::TargetExists;
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return Move::Moved;
        const DWORD code = GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return Move::TargetExists;
        *error = win::ErrorText(static_cast<int>(code));
        return Move::Failed;
    }

private:
    static Contents Unreadable(std::string error) { return {State::Unreadable, {}, std::move(error)}; }
};

// The three values are read as raw 4-byte numbers over their defaults: whatever type a value was
// stored with, its first bytes are taken as the number.
SaveOptions ReadSaveOptions(const std::string& userKey) {
    SaveOptions options;
    const std::string subkey = SaveOptionsSubkey(userKey);
    const auto read = [&subkey](const char* name, std::uint32_t* value) {
        DWORD type = REG_NONE;
        DWORD size = sizeof(*value);
        ReadRegistryValue(kSaveOptionsRoot, subkey, name, &type, &size, value);
    };
    read(kSaveOptionName, &options.saveOption);
    read(kSaveOptionUrgencyName, &options.urgency);
    read(kSaveOptionAppTypesName, &options.appTypes);
    return options;
}

NotificationStore& ProcessStore() {
    static NotificationStore store(WindowsStoreFiles(), SystemCodec());
    return store;
}

void Save(const std::vector<NotificationRecord>& records, const std::string& storePath, const std::string& userKey) {
    try {
        const StoreReport report =
            ProcessStore().Save(records, storePath, [&userKey] { return ReadSaveOptions(userKey); });
        win::LogText(DescribeStoreReport(report, storePath) + "\n");
        if (report.stored > 0) PostHistoryChanged();
    } catch (const std::exception& error) {
        win::Log("store: %d not stored: %s\n", static_cast<int>(records.size()), error.what());
    }
}

RecordWriter& StoreWriter() {
    static RecordWriter writer("store", 0, kMaxWaiting, [] {
        const ClientSettings& settings = Settings();
        return [path = settings.StoreFile, userKey = settings.UserKey](const std::vector<NotificationRecord>& records) {
            Save(records, path, userKey);
        };
    });
    return writer;
}

}  // namespace

StoreFiles& WindowsStoreFiles() {
    static Win32StoreFiles files;
    return files;
}

void StoreNotifications(std::span<const NotificationRecord> records) { StoreWriter().Add(records); }

void FlushStore() { StoreWriter().Flush(kExitWaitMs); }

}  // namespace mirelo
