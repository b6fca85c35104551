// The store file as read at the next run: whatever its bytes, what the client writes back after
// appending a record is a document a conforming parser reads, holding the old entries and the new.
#include "fuzz_support.h"
#include "reception/notification_record.h"
#include "store/store_document.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    StoreDocument document;
    const StoreLoad load = document.Load(fuzz::Bytes(data, size), fuzz::Codec());
    const std::size_t before = document.Entries().size();
    if (load != StoreLoad::Loaded) fuzz::Require(before == 0, "a damaged or empty file starts a new list");

    NotificationRecord record;
    record.kind = 2;
    record.subject = std::string(fuzz::Bytes(data, std::min<std::size_t>(size, 64)));
    record.sender = "\xb1\xe8";  // a Korean name in code page 949
    document.Append(record, 7, fuzz::Codec());
    const std::string written = document.Serialize(fuzz::Codec());

    StoreDocument again;
    fuzz::Require(again.Load(written, fuzz::Codec()) == StoreLoad::Loaded, "what the store writes reads back");
    fuzz::Require(again.Entries().size() == before + 1, "the old entries and the new one");
    return 0;
}
