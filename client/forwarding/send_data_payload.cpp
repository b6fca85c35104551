#include "forwarding/send_data_payload.h"

#include <algorithm>
#include <cstring>

namespace mirelo {

SendDataPayload BuildSendDataPayload(std::string_view functionName, std::string_view callUrl) {
    const std::string_view name = functionName.substr(0, kSendDataMaxNameBytes);
    const std::string_view url = callUrl.substr(0, kSendDataMaxTextBytes - name.size());
    SendDataPayload payload;
    char* out = payload.bytes.data();
    out[0] = static_cast<char>(static_cast<unsigned char>(name.size()));
    std::copy(name.begin(), name.end(), out + 1);
    std::copy(url.begin(), url.end(), out + 1 + name.size());
    // The receivers read a C string: a NUL inside the name or the URL ends what they get.
    payload.byteCount = static_cast<std::uint32_t>(std::strlen(out));
    return payload;
}

}  // namespace mirelo
