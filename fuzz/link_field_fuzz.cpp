// The link field of a binary payload: type number, function name and URL.
#include "fuzz_support.h"
#include "popups/payload_codec.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const LinkField link = ParseLinkField(fuzz::Bytes(data, size));
    fuzz::Require(link.functionName.find('\0') == std::string::npos, "the function name ends at a NUL");
    fuzz::Require(link.openUrl.find('\0') == std::string::npos, "the URL ends at a NUL");
    fuzz::Require(link.functionName.size() + link.openUrl.size() <= size, "no bytes made up");
    // What the encoder builds from a name and a URL reads back the same.
    if (link.functionName.empty() || link.openUrl.empty()) return 0;
    if (const auto built = BuildLinkField(link.typeNumber, link.functionName, link.openUrl)) {
        const LinkField again = ParseLinkField(*built);
        fuzz::Require(again.typeNumber == link.typeNumber && again.functionName == link.functionName &&
                          again.openUrl == link.openUrl,
                      "the link survives a round trip");
    }
    return 0;
}
