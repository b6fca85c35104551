#pragma once

// The report of the small check programs that the end-to-end tests run under Wine: one line per
// check, "ok" or "FAIL", and the number of failures as the exit code.

#include <cstdarg>
#include <cstdio>

namespace check_report {

inline int& Failures() {
    static int failures = 0;
    return failures;
}

inline void Check(bool ok, const char* format, ...) __attribute__((format(printf, 2, 3)));

inline void Check(bool ok, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::printf("%s ", ok ? "ok  " : "FAIL");
    std::vprintf(format, args);
    std::printf("\n");
    std::fflush(stdout);
    va_end(args);
    Failures() += ok ? 0 : 1;
}

}  // namespace check_report
