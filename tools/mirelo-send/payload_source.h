#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "args.h"
#include "command.h"

namespace mirelo_send {

// Where a payload comes from: exactly one of the four options.
struct PayloadSource {
    std::optional<std::string> text;
    std::optional<std::string> file;
    std::optional<std::string> hex;
    bool fromStdin = false;
};

void AddPayloadOptions(std::vector<Option>& options, PayloadSource* source);

// The help section of the payload options.
std::string_view PayloadHelp();

// Reads the payload into *payload. Returns kExitOk, or the exit code after reporting the problem:
// kExitUsage for a missing or doubled source or bad hex, kExitInput for an unreadable file.
int LoadPayload(const PayloadSource& source, const Command& command, Context& context, std::string* payload);

}  // namespace mirelo_send
