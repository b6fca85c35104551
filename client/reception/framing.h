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
// The largest payload ten header digits can announce (N = 9,999,999,999).
inline constexpr int kMaxAnnouncedLength = 99'999'999;

struct MessageHeader {
    int kind = 0;
    int length = 0;
    bool operator==(const MessageHeader&) const = default;
};

// Converts the ten header characters like atoi, but exactly: leading blanks, zeros and one sign are
// allowed, conversion stops at the first non-digit, no digits give N = 0. Ten digits exceed an int,
// so N is read as a 64-bit number; kind and length then always fit (a negative N gives both
// negative, as C's division does).
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
