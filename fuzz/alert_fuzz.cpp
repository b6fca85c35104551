// An alert (kind 20): the JSON payload, its log lines and the pop-up's fields.
#include "fuzz_support.h"
#include "store/alert_payload.h"
#include "store/payload_text.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static AlertRecord record;  // reused, as the receiving socket reuses its own
    std::size_t logged = 0;
    const AnsiConverter toAnsi = [](std::string_view utf8) { return ReadPayloadText(utf8, 1, fuzz::Codec()); };
    const AlertLogger log = [&logged](const std::string& line) { logged += line.size(); };
    ResetAlert(record);  // as the dispatcher does before every alert
    ParseAlert(record, fuzz::Bytes(data, size), toAnsi, log);
    fuzz::Require(logged <= 2 * size + 64 * 1024 + kMaxLoggedAlertNodes * 512, "the log stays bounded");
    return 0;
}
