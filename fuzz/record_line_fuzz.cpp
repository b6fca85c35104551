// A record line, as the store and the received list read it.
#include "fuzz_support.h"
#include "reception/notification_record.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    NotificationRecord record;
    ParseRecordLine(fuzz::Bytes(data, size), record);
    // A record written as a line reads back with the same fields where they hold no separator.
    const std::string line =
        BuildRecordLine(record.kind, "user", record.flag, record.date, record.subject, record.sender,
                        record.functionName, record.openUrl, record.docType, record.extra);
    NotificationRecord again;
    fuzz::Require(ParseRecordLine(line, again), "a built line has tokens");
    return 0;
}
