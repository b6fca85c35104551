#pragma once

#include <string>
#include <string_view>

#include "reception/framing.h"

namespace mirelo {

// Reassembles the one message an accepted connection carries. The header may arrive split over
// several reads; payload bytes are kept as bytes (a NUL does not end them).
class TcpMessageAssembler {
public:
    enum class Event {
        None,        // more bytes are needed
        EndMessage,  // the header announced the end message (kind 99)
        Complete,    // the whole payload is here: Header() and Payload() hold the message
        Malformed,   // the header cannot describe a message (negative length); close the connection
    };

    // Takes the bytes of one read. Returns the event those bytes caused; after Complete, EndMessage
    // or Malformed, later bytes are ignored and give None.
    Event Feed(std::string_view bytes);

    const MessageHeader& Header() const { return header_; }
    // Exactly the announced number of payload bytes once complete.
    const std::string& Payload() const { return payload_; }
    bool Finished() const { return finished_; }

private:
    std::string headerText_;
    MessageHeader header_;
    std::string payload_;
    bool headerKnown_ = false;
    bool finished_ = false;
};

}  // namespace mirelo
