// One received datagram: the message header and the receiver's decision, from any sender.
#include "fuzz_support.h"
#include "reception/framing.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view datagram = fuzz::Bytes(data, size);
    const MessageHeader header = ParseHeader(datagram.substr(0, kHeaderSize));
    for (const bool loopback : {false, true}) {
        const DatagramDecision decision = ClassifyDatagram(datagram, loopback);
        if (decision.action == DatagramAction::Dispatch) {
            fuzz::Require(decision.header == header, "a dispatched datagram has the header it starts with");
            fuzz::Require(header.length >= 0 && static_cast<std::size_t>(header.length) <= size - kHeaderSize,
                          "a dispatched datagram holds its announced payload");
        }
        if (decision.action == DatagramAction::Messenger) fuzz::Require(loopback, "messenger texts only from loopback");
    }
    return 0;
}
