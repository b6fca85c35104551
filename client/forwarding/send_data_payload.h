#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mirelo {

// The page request that SendData hands to business applications: the length of the JavaScript function
// name as one unsigned byte, the name, then the call URL and its NUL, with no separator.
inline constexpr std::size_t kSendDataBufferBytes = 512;
// The name's length must fit its byte, and name and URL together leave room for the length byte and
// the NUL; longer inputs are cut to these limits.
inline constexpr std::size_t kSendDataMaxNameBytes = 255;
inline constexpr std::size_t kSendDataMaxTextBytes = kSendDataBufferBytes - 2;

struct SendDataPayload {
    std::array<char, kSendDataBufferBytes> bytes{};
    // What is sent as cbData: the C-string length of the buffer, so an empty name (length byte 0) gives 0.
    std::uint32_t byteCount = 0;
};

SendDataPayload BuildSendDataPayload(std::string_view functionName, std::string_view callUrl);

}  // namespace mirelo
