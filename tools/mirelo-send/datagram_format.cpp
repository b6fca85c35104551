#include "datagram_format.h"

#include <cstdio>

#include "bytes.h"

namespace mirelo_send {
namespace {

constexpr std::size_t kDumpRowBytes = 16;

std::string HexDump(std::string_view bytes) {
    std::string dump;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kDumpRowBytes) {
        const std::string_view row = bytes.substr(offset, kDumpRowBytes);
        char label[32];
        std::snprintf(label, sizeof label, "  %04zx  ", offset);
        std::string hex = ToHex(row, " ");
        hex.resize(kDumpRowBytes * 3 - 1, ' ');
        dump += label + hex + "  " + PrintableText(row) + "\n";
    }
    return dump;
}

std::string JsonLine(const ReceivedDatagram& datagram) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", datagram.time);
    return "{\"index\":" + std::to_string(datagram.index) + ",\"from\":" + JsonString(datagram.from) +
           ",\"time\":" + time + ",\"length\":" + std::to_string(datagram.bytes.size()) + ",\"hex\":\"" +
           ToHex(datagram.bytes) + "\",\"base64\":\"" + ToBase64(datagram.bytes) +
           "\",\"text\":" + JsonString(datagram.bytes) + "}\n";
}

}  // namespace

std::optional<DatagramFormat> ParseDatagramFormat(std::string_view name) {
    if (name == "text") return DatagramFormat::Text;
    if (name == "hex") return DatagramFormat::Hex;
    if (name == "json") return DatagramFormat::Json;
    return std::nullopt;
}

std::string FormatDatagram(const ReceivedDatagram& datagram, DatagramFormat format) {
    switch (format) {
        case DatagramFormat::Hex: return ToHex(datagram.bytes) + "\n";
        case DatagramFormat::Json: return JsonLine(datagram);
        case DatagramFormat::Text: break;
    }
    const std::size_t size = datagram.bytes.size();
    return "#" + std::to_string(datagram.index) + " from " + datagram.from + ", " + std::to_string(size) +
           (size == 1 ? " byte\n" : " bytes\n") + HexDump(datagram.bytes);
}

}  // namespace mirelo_send
