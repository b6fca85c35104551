#include "store/store_files_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mirelo {

namespace fs = std::filesystem;

StoreFiles::Contents PosixStoreFiles::Read(const std::string& path) {
    Contents contents;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return contents;
    if (fs::is_directory(status)) {
        contents.state = State::Folder;
        return contents;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        contents.state = State::Unreadable;
        contents.error = std::strerror(errno);
        return contents;
    }
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.bytes.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    contents.state = failed ? State::Unreadable : State::Ok;
    if (failed) contents.error = "read error";
    return contents;
}

std::string PosixStoreFiles::Replace(const std::string& path, std::span<const std::string_view> pieces) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return std::strerror(errno);
    bool written = true;
    for (const std::string_view bytes : pieces) {
        written = written && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (!written || !closed) {
        fs::remove(temporary, ec);
        return "write error";
    }
    fs::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return ec.message();
    }
    return {};
}

StoreFiles::Move PosixStoreFiles::MoveAside(const std::string& from, const std::string& to, std::string* error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return Move::TargetExists;
    fs::rename(from, to, ec);
    if (!ec) return Move::Moved;
    *error = ec.message();
    return Move::Failed;
}

}  // namespace mirelo
