#include "command.h"
#include "reception/framing.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kEndIntro =
    "Usage: mirelo-send end [transport]\n"
    "Sends the server's end message 0000000099 (kind 99, no payload): the client exits, after asking\n"
    "the user when pop-ups are still open and it is set up to ask.\n"
    "\n";

constexpr std::string_view kEndExamples =
    "\n"
    "Examples:\n"
    "  mirelo-send end\n"
    "  mirelo-send end --host desk-042 --tcp\n";

std::string EndHelp() { return std::string(kEndIntro) + std::string(TransportHelp()) + std::string(kEndExamples); }

int RunEnd(const Args& args, Context& context) {
    TransportOptions transport;
    int exitCode = kExitOk;
    if (!ParseSendingArgs(kEndCommand, args, {}, &transport, nullptr, context, &exitCode)) return exitCode;
    return SendMessage(*mirelo::BuildHeader(mirelo::kKindEndMessage, 0), transport, context);
}

}  // namespace

const Command kEndCommand = {
    "end", "end [transport]", "send the end message 0000000099: the client exits", EndHelp, RunEnd,
};

}  // namespace mirelo_send
