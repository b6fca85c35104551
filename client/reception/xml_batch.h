#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/code_page.h"
#include "reception/notification_record.h"

namespace mirelo {

// The record lines of an XML batch (kind 98), one per "notify" element at any depth, in document
// order. The payload is text in the system's ANSI code page, whatever its declaration says; the
// lines are in that code page too. Empty texts become a single blank so that every field keeps its
// place in the line. A payload that is not well-formed XML gives no lines, and *rejected (when given)
// says why and where; it is "" for a well-formed payload.
std::vector<std::string> BatchRecordLines(std::string_view payload, std::string_view userKey, const TextCodec& codec,
                                          std::string* rejected = nullptr);

// The records of those lines, in the same order.
std::vector<NotificationRecord> BatchRecords(std::string_view payload, std::string_view userKey, const TextCodec& codec,
                                             std::string* rejected = nullptr);

}  // namespace mirelo
