#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mirelo {

// Every notification starts with ten decimal characters N: kind = N mod 100, length = N div 100.
inline constexpr std::size_t kHeaderSize = 10;
inline constexpr std::size_t kMaxDatagramSize = 1000;
inline constexpr int kKindXmlBatch = 98;
inline constexpr int kKindEndMessage = 99;
// The largest payload a header can announce: length * 100 + kind must stay an int.
inline constexpr int kMaxAnnouncedLength = 21474835;

struct MessageHeader {
    int kind = 0;
    int length = 0;
    bool operator==(const MessageHeader&) const = default;
};

// Converts the ten header characters like atoi: leading blanks and zeros are allowed, conversion
// stops at the first non-digit, no digits give N = 0.
MessageHeader ParseHeader(std::string_view header);

// The ten header characters for a kind (0..99) and a payload length up to kMaxAnnouncedLength.
std::optional<std::string> BuildHeader(int kind, int length);

// What the datagram receiver does with one datagram.
enum class DatagramAction {
    Messenger,   // "@" text from the local messenger: handle it, do not relay
    EndMessage,  // kind 99: close the client
    Dispatch,    // well formed: dispatch, relay to the messenger, start the refresh thread
    Drop,        // anything else: silently dropped
};

struct DatagramDecision {
    DatagramAction action = DatagramAction::Drop;
    MessageHeader header;
};

// Decides about one received datagram. Messenger texts are accepted only from a loopback sender.
DatagramDecision ClassifyDatagram(std::string_view datagram, bool fromLoopback);

}  // namespace mirelo
