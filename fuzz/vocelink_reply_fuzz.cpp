// vocelink: a speech server's 46-byte reply and its status line.
#include <cstdint>

#include "fuzz_support.h"
#include "wire.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size >= static_cast<std::size_t>(vocelink::kReplySize)) {
        if (const auto reply = vocelink::ParseReply(data)) {
            const vocelink::ReplyBytes built = vocelink::BuildReply(reply->status, reply->dataLength, reply->lastPiece);
            const auto again = vocelink::ParseReply(built.data());
            mirelo::fuzz::Require(again && again->status == reply->status && again->dataLength == reply->dataLength &&
                                      again->lastPiece == reply->lastPiece,
                                  "a reply survives a round trip");
        }
        data += vocelink::kReplySize;
        size -= vocelink::kReplySize;
    }
    vocelink::ParseStatusLine(mirelo::fuzz::Bytes(data, size));
    return 0;
}
