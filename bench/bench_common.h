// What the store benchmarks share: the records they store and their argument parsing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/code_page_posix.h"
#include "reception/notification_record.h"
#include "store/euc_kr.h"

namespace bench {

inline const mirelo::IconvCodec kCodec("CP949");

// Records numbered first .. first+count-1 with Korean texts in code page 949, as on a Korean desktop;
// their dates advance a minute a record.
inline std::vector<mirelo::NotificationRecord> Records(int count, int first) {
    static const std::string sender = mirelo::Utf8ToAnsi("홍길동(개발팀)", kCodec);
    static const std::string subject = mirelo::Utf8ToAnsi("[일반] 주간 업무 보고 및 회의 안건 & 일정 ", kCodec);
    std::vector<mirelo::NotificationRecord> records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        mirelo::NotificationRecord& record = records[static_cast<std::size_t>(i)];
        const int n = first + i;
        record.kind = 1 + n % 11;
        record.flag = n % 2;
        char date[32];
        std::snprintf(date, sizeof date, "2026-%02d-%02d %02d:%02d", 1 + n / 40000 % 12, 1 + n / 1400 % 28, n / 60 % 24,
                      n % 60);
        record.date = date;
        record.subject = subject + std::to_string(n);
        record.sender = sender;
        record.functionName = "OpenDocument";
        record.openUrl = "http://gw.example/approval/view.do?docId=" + std::to_string(n) + "&mode=read";
    }
    return records;
}

// A count argument from 1 to 10,000,000.
inline std::optional<int> Number(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 1 || value > 10'000'000) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace bench
