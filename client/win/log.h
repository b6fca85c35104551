#pragma once

#include <string>

namespace mirelo::win {

// Writes one line to the debugger output with the "[Mirelo] " prefix. printf-style; the caller
// writes the line end where the line has one.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same for a ready text.
void LogText(const std::string& text);

}  // namespace mirelo::win
