// An XML batch (kind 98) in the ANSI code page: its record lines, read back as records.
#include "fuzz_support.h"
#include "reception/notification_record.h"
#include "reception/xml_batch.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::string rejected;
    const std::vector<std::string> lines = BatchRecordLines(fuzz::Bytes(data, size), "user", fuzz::Codec(), &rejected);
    if (!rejected.empty()) fuzz::Require(lines.empty(), "a refused batch gives no lines");
    for (const std::string& line : lines) {
        NotificationRecord record;
        ParseRecordLine(line, record);
    }
    return 0;
}
