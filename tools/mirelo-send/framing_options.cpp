#include "framing_options.h"

#include "reception/framing.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kWireFormatHelp =
    "Wire format: ten decimal characters N, then the payload: kind = N mod 100, length = N div 100\n"
    "(payload bytes), so a 57-byte mail starts with 0000005702. Kinds: 1 BBS, 2 mail, 3 schedule,\n"
    "4-7 and 11 approval, 8 and 9 message, 10 notice, 20 alert (JSON), 98 XML batch (TCP only),\n"
    "99 end message.\n";

constexpr std::string_view kMalformedHelp =
    "Malformed on purpose:\n"
    "  --header TEXT     send TEXT instead of the built header (any length, not checked)\n"
    "  --no-header       send the payload alone\n"
    "  --extra-bytes N   append N bytes 'x': the message is longer than its header says\n"
    "  --truncate N      cut N bytes off the end: the message is shorter than its header says\n";

}  // namespace

void AddFramingOptions(std::vector<Option>& options, FramingOptions* framing) {
    options.push_back(TextOption("--header", &framing->header));
    options.push_back(FlagOption("--no-header", &framing->noHeader));
    options.push_back(IntegerOption("--extra-bytes", &framing->extraBytes, 0, 1 << 30));
    options.push_back(IntegerOption("--truncate", &framing->truncateBytes, 0, 1 << 30));
}

std::string_view WireFormatHelp() { return kWireFormatHelp; }

std::string FramingHelp() { return std::string(kWireFormatHelp) + std::string(kMalformedHelp); }

FramedMessage FrameMessage(std::optional<int> kind, std::string_view payload, const FramingOptions& framing) {
    if (framing.header && framing.noHeader) return {{}, "--header and --no-header exclude each other"};
    std::string bytes;
    if (framing.header) {
        bytes = *framing.header;
    } else if (!framing.noHeader) {
        if (!kind) return {{}, "the header needs a kind (--kind K, 0 to 99)"};
        const bool fits = payload.size() <= static_cast<std::size_t>(mirelo::kMaxAnnouncedLength);
        const std::optional<std::string> header =
            fits ? mirelo::BuildHeader(*kind, static_cast<int>(payload.size())) : std::nullopt;
        if (!header) {
            return {{},
                    "no header can announce kind " + std::to_string(*kind) + " with " + std::to_string(payload.size()) +
                        " payload bytes"};
        }
        bytes = *header;
    }
    bytes += payload;
    bytes.append(static_cast<std::size_t>(framing.extraBytes), 'x');
    if (static_cast<std::size_t>(framing.truncateBytes) > bytes.size()) {
        return {{},
                "--truncate " + std::to_string(framing.truncateBytes) + " is more than the " +
                    std::to_string(bytes.size()) + " bytes of the message"};
    }
    bytes.resize(bytes.size() - static_cast<std::size_t>(framing.truncateBytes));
    return {bytes, {}};
}

}  // namespace mirelo_send
