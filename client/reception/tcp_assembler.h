#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reception/framing.h"

namespace mirelo {

// Bounds of the TCP reception. Binary notifications stay below 140 KB by their encoding (one-byte
// field lengths, two-byte ones for the link and a message body); the largest messages are the XML
// batches a client gets after a long absence, well under a kilobyte per notification.
struct TcpLimits {
    std::size_t messageBytes = 16u << 20;  // the payload of one message
    std::size_t totalBytes = 64u << 20;    // payload bytes held by all connections together
    std::size_t connections = 64;
    unsigned idleMs = 10000;  // a connection that makes no progress for this long is closed
    // A connection that has not finished its message gives its place to a new one only when it has
    // been open this long: until it is read, one that came in with its whole message looks idle too.
    unsigned graceMs = 1000;
};

// Reassembles the one message an accepted connection carries. The header may arrive split over
// several reads; payload bytes are kept as bytes (a NUL does not end them).
class TcpMessageAssembler {
public:
    enum class Event {
        None,        // the bytes went towards the message; more are needed
        Ignored,     // the message was already finished: the bytes count for nothing
        EndMessage,  // the header announced the end message (kind 99)
        Complete,    // the whole payload is here: Header() and TakePayload() give the message
        Malformed,   // the header cannot describe a message (negative length); close the connection
        TooLarge,    // the header announces more than one message may hold; close the connection
    };

    explicit TcpMessageAssembler(std::size_t maxPayload = TcpLimits{}.messageBytes) : maxPayload_(maxPayload) {}

    // Takes the bytes of one read. After Complete, EndMessage, Malformed or TooLarge every later
    // call gives Ignored.
    Event Feed(std::string_view bytes);

    const MessageHeader& Header() const { return header_; }
    // The payload received so far; exactly the announced bytes once complete.
    const std::string& Payload() const { return payload_; }
    // Hands the payload over and frees what this message held.
    std::string TakePayload();
    std::size_t Held() const { return payload_.size(); }
    bool Finished() const { return finished_; }

private:
    std::size_t maxPayload_;
    std::string headerText_;
    MessageHeader header_;
    std::string payload_;
    bool headerKnown_ = false;
    bool finished_ = false;
};

// Every accepted connection of the TCP listener, keyed by an id the caller chooses. Keeps their
// number and the payload bytes they hold together within the limits, and says which connections
// must be closed: only progress towards a message keeps a connection alive.
class TcpReception {
public:
    using Id = std::uint64_t;
    using Event = TcpMessageAssembler::Event;

    struct Received {
        Event event = Event::Ignored;
        // Other connections to close because all together held too much. When this connection
        // itself held the most, the event is TooLarge and it is not listed.
        std::vector<Id> evicted;
    };

    explicit TcpReception(const TcpLimits& limits = {}) : limits_(limits) {}

    struct Evicted {
        Id id;
        bool finished;  // its message was complete: nothing is lost with it
    };

    // Whether a new connection may come in now: a place is free, or a finished connection or one
    // open for graceMs can make one.
    bool CanAccept(unsigned nowMs) const;
    // Takes a new connection. When every place is taken, returns the connection to close to make
    // room (and forgets it): of those that may make room a finished one first, then the one longest
    // without progress. Without CanAccept, any connection may have to go.
    std::optional<Evicted> Accept(Id id, unsigned nowMs);
    Received Receive(Id id, std::string_view bytes, unsigned nowMs);
    // The message of a connection; nullptr for an id that is not (or no longer) here.
    const TcpMessageAssembler* Message(Id id) const;
    // Hands a complete message's payload over, freeing what the connection held.
    std::string TakePayload(Id id);
    void Remove(Id id);
    // Connections that made no progress for idleMs.
    std::vector<Id> Idle(unsigned nowMs) const;

    std::size_t Count() const { return connections_.size(); }
    std::size_t HeldBytes() const { return held_; }

private:
    struct Connection {
        Id id;
        TcpMessageAssembler message;
        unsigned lastProgressMs;
        unsigned acceptedMs;
    };

    bool MayMakeRoom(const Connection& connection, unsigned nowMs) const;
    // The index of a connection; Count() when it is not here.
    std::size_t IndexOf(Id id) const;
    // Closes the connections holding the most until all together fit; false when `id` would go.
    bool FitTotal(Id id, std::vector<Id>& evicted);
    void Erase(std::size_t index);

    TcpLimits limits_;
    std::vector<Connection> connections_;
    std::size_t held_ = 0;
};

}  // namespace mirelo
