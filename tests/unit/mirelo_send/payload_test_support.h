#pragma once

#include <string>

#include "bytes.h"
#include "reception/framing.h"
#include "test_support.h"

namespace mirelo_send::test {

// What a builder would send, read back from its --dry-run line.
struct DryRun {
    int exitCode = -1;
    mirelo::MessageHeader header;
    std::string payload;
    std::string err;
};

inline DryRun BuildDry(Args args) {
    args.push_back("--dry-run");
    const RunResult result = RunSend(args);
    DryRun run{result.exitCode, {}, {}, result.err};
    if (result.exitCode != kExitOk || !result.out.ends_with('\n')) return run;
    const std::string message = FromHex(result.out.substr(0, result.out.size() - 1)).value_or("");
    if (message.size() < mirelo::kHeaderSize) return run;
    run.header = mirelo::ParseHeader(std::string_view(message).substr(0, mirelo::kHeaderSize));
    run.payload = message.substr(mirelo::kHeaderSize);
    return run;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace mirelo_send::test
