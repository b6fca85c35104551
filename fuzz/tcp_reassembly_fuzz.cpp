// TCP reception: the bytes of a connection arrive in reads of any size, on several connections at
// once. Whatever the split, one message gives the same outcome, and the limits hold.
#include <optional>

#include "fuzz_support.h"
#include "reception/tcp_assembler.h"

using namespace mirelo;

namespace {

using Event = TcpMessageAssembler::Event;

bool Ends(Event event) { return event != Event::None && event != Event::Ignored; }

struct Outcome {
    Event event = Event::None;
    std::string payload;
};

// Feeds the stream in reads of `step` bytes (0: all at once) and keeps the first ending event.
Outcome Assemble(std::string_view stream, std::size_t step, std::size_t maxPayload) {
    TcpMessageAssembler message(maxPayload);
    Outcome outcome;
    std::size_t at = 0;
    do {
        const std::size_t n = step == 0 ? stream.size() : std::min(step, stream.size() - at);
        const Event event = message.Feed(stream.substr(at, n));
        if (outcome.event == Event::None && Ends(event)) outcome.event = event;
        if (outcome.event != Event::None) fuzz::Require(message.Finished(), "an ended message is finished");
        at += n;
    } while (at < stream.size());
    fuzz::Require(message.Held() <= maxPayload, "a message holds no more than its limit");
    if (outcome.event == Event::Complete) outcome.payload = message.TakePayload();
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view stream = fuzz::Bytes(data, size);
    const std::size_t limit = 4096;
    const Outcome whole = Assemble(stream, 0, limit);
    for (const std::size_t step : {1u, 3u, 11u}) {
        const Outcome split = Assemble(stream, step, limit);
        fuzz::Require(split.event == whole.event && split.payload == whole.payload, "the split does not matter");
    }
    if (whole.event == Event::Complete) fuzz::Require(whole.payload.size() <= limit, "payload within the limit");

    // Three connections share small limits; the input's bytes decide which one reads how much.
    TcpLimits limits;
    limits.messageBytes = 512;
    limits.totalBytes = 1024;
    limits.connections = 2;
    limits.idleMs = 50;
    TcpReception reception(limits);
    unsigned now = 0;
    std::size_t at = 0;
    while (at < size) {
        const unsigned char control = data[at++];
        const TcpReception::Id id = control % 3;
        const std::size_t n = std::min<std::size_t>(control >> 2, size - at);
        now += control & 3;
        if (reception.Message(id) == nullptr) reception.Accept(id, now);
        const TcpReception::Received received = reception.Receive(id, stream.substr(at, n), now);
        at += n;
        for (const TcpReception::Id evicted : received.evicted) reception.Remove(evicted);
        if (received.event == Event::Complete) reception.TakePayload(id);
        if (Ends(received.event) && received.event != Event::Complete) reception.Remove(id);
        for (const TcpReception::Id idle : reception.Idle(now)) reception.Remove(idle);
        fuzz::Require(reception.Count() <= limits.connections, "connections within the limit");
        fuzz::Require(reception.HeldBytes() <= limits.totalBytes, "held bytes within the limit");
    }
    return 0;
}
