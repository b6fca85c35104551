// A messenger command ("@..." datagram from the local messenger) and the presence code it carries.
#include "fuzz_support.h"
#include "messenger/messenger_protocol.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view datagram = fuzz::Bytes(data, size);
    const MessengerCommand command = ParseMessengerCommand(datagram);
    fuzz::Require(command.userId.size() + command.baseUrl.size() <= size, "no bytes made up");
    int presence = kPresenceOnlineId;
    bool online = true;
    ApplyPresenceCode(command.presenceCode, presence, online);
    fuzz::Require(PresenceCode(presence).has_value(), "the presence stays a known status");
    bool autoAway = false;
    StepIdlePresence(static_cast<unsigned>(size) * 1000, 1, online, presence, autoAway);
    return 0;
}
