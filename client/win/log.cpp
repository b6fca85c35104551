#include "win/log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace mirelo::win {

namespace {

// Debuggers show only the start of a long line (Wine about 300 characters, after escaping every
// byte outside ASCII as four): a long line goes out in pieces, each continued one marked "[Mirelo+] ".
constexpr std::size_t kPieceBytes = 64;

}  // namespace

void LogText(const std::string& text) {
    // Worker threads log too: the pieces of one line must not mix with another's.
    static std::mutex pieces;
    const std::lock_guard<std::mutex> lock(pieces);
    std::size_t pos = 0;
    do {
        const std::string piece = (pos == 0 ? "[Mirelo] " : "[Mirelo+] ") + text.substr(pos, kPieceBytes);
        OutputDebugStringA(piece.c_str());
        pos += kPieceBytes;
    } while (pos < text.size());
}

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        LogText(std::string(buffer.data(), static_cast<size_t>(length)));
    }
    va_end(args);
}

}  // namespace mirelo::win
