#include "reception/framing.h"

#include "core/text.h"

#include <cstdint>
#include <cstdio>

namespace mirelo {

MessageHeader ParseHeader(std::string_view header) {
    const std::int64_t n = ParseInt64(header.substr(0, kHeaderSize));
    return {static_cast<int>(n % 100), static_cast<int>(n / 100)};
}

std::optional<std::string> BuildHeader(int kind, int length) {
    if (kind < 0 || kind > 99 || length < 0 || length > kMaxAnnouncedLength) return std::nullopt;
    char text[kHeaderSize + 1];
    std::snprintf(text, sizeof(text), "%010lld", static_cast<long long>(length) * 100 + kind);
    return std::string(text, kHeaderSize);
}

DatagramDecision ClassifyDatagram(std::string_view datagram, bool fromLoopback) {
    if (datagram.empty()) return {};
    if (datagram.front() == '@') {
        return {fromLoopback ? DatagramAction::Messenger : DatagramAction::Drop, {}};
    }
    // A datagram shorter than a header is read with the bytes it has, as the header buffer would.
    const MessageHeader header = ParseHeader(datagram.substr(0, kHeaderSize));
    if (header.kind == kKindEndMessage) return {DatagramAction::EndMessage, header};
    if (header.length >= 0 && datagram.size() >= kHeaderSize &&
        datagram.size() == kHeaderSize + static_cast<std::size_t>(header.length)) {
        return {DatagramAction::Dispatch, header};
    }
    return {DatagramAction::Drop, header};
}

}  // namespace mirelo
