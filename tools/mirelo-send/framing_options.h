#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "args.h"

namespace mirelo_send {

// Ways to frame a notification wrongly on purpose, for testing how the client copes. Shared by every
// command that sends a notification with a header.
struct FramingOptions {
    std::optional<std::string> header;  // sent as given instead of the built header, whatever its length
    bool noHeader = false;              // the payload alone
    int extraBytes = 0;                 // this many 'x' after the payload: longer than announced
    int truncateBytes = 0;              // this many bytes cut off the end: shorter than announced
};

void AddFramingOptions(std::vector<Option>& options, FramingOptions* framing);

// The header format and the kinds, for help texts.
std::string_view WireFormatHelp();

// The help section of the framing options, with the header format.
std::string FramingHelp();

struct FramedMessage {
    std::string bytes;
    std::string error;  // a usage error; bytes are empty then
};

// The header built from the kind and the payload size, then the payload, then what the framing
// options change. kind may be absent only when the options replace or drop the header.
FramedMessage FrameMessage(std::optional<int> kind, std::string_view payload, const FramingOptions& framing);

}  // namespace mirelo_send
