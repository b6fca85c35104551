#include "win/log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace mirelo::win {

void LogText(const std::string& text) {
    const std::string line = "[Mirelo] " + text;
    OutputDebugStringA(line.c_str());
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
