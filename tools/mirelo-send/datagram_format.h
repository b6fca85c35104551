#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mirelo_send {

enum class DatagramFormat { Text, Hex, Json };

std::optional<DatagramFormat> ParseDatagramFormat(std::string_view name);

struct ReceivedDatagram {
    int index = 0;     // 1 for the first datagram
    std::string from;  // "127.0.0.1:40001"
    double time = 0;   // seconds since 1970
    std::string bytes;
};

// What listen prints for one datagram, ending in a newline:
// Text: "#1 from 127.0.0.1:40001, 67 bytes" and hex dump rows of 16 bytes ("  0000  30 30 ...  0000005702......").
// Hex: the bytes as hex digits on one line.
// Json: one line {"index":1,"from":"127.0.0.1:40001","time":1718000000.123,"length":67,"hex":"3030...",
// "base64":"MDAw...","text":"0000005702..."} where text holds each byte as the code point of its value.
std::string FormatDatagram(const ReceivedDatagram& datagram, DatagramFormat format);

}  // namespace mirelo_send
