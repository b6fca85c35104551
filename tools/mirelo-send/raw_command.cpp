#include <ostream>

#include "command.h"
#include "framing_options.h"
#include "payload_source.h"
#include "reception/framing.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kRawIntro =
    "Usage: mirelo-send raw --kind K (--text T | --file F | --stdin | --hex H) [framing] [transport]\n"
    "Sends one notification: the header built from the kind and the payload length, then the payload.\n"
    "  --kind K          the kind, 0 to 99 (not needed with --header or --no-header)\n"
    "\n";

constexpr std::string_view kRawExamples =
    "\n"
    "Examples:\n"
    "  mirelo-send raw --kind 2 --file mail.bin                  a mail from a payload file\n"
    "  mirelo-send raw --kind 2 --file mail.bin --extra-bytes 1  one byte too many: dropped by the client\n"
    "  mirelo-send raw --kind 98 --file batch.xml --tcp --chunk 4000 --delay-ms 50\n"
    "  mirelo-send raw --header 'garbage!!!' --text ''           a header that is not a number\n"
    "  mirelo-send raw --no-header --hex 'de ad be ef'           any bytes at all\n";

std::string RawHelp() {
    return std::string(kRawIntro) + std::string(PayloadHelp()) + "\n" + FramingHelp() + "\n" +
           std::string(TransportHelp()) + std::string(kRawExamples);
}

void NoteDelivery(int kind, const TransportOptions& transport, Context& context) {
    if (kind == mirelo::kKindXmlBatch && !transport.tcp && !transport.quiet) {
        context.err << "mirelo-send: note: the client reads XML batches (kind 98) only over TCP (--tcp)\n";
    }
}

int RunRaw(const Args& args, Context& context) {
    int kindValue = -1;
    PayloadSource source;
    FramingOptions framing;
    TransportOptions transport;
    std::vector<Option> options = {IntegerOption("--kind", &kindValue, 0, 99)};
    AddPayloadOptions(options, &source);
    AddFramingOptions(options, &framing);
    int exitCode = kExitOk;
    if (!ParseSendingArgs(kRawCommand, args, options, &transport, nullptr, context, &exitCode)) return exitCode;
    std::string payload;
    if (int loaded = LoadPayload(source, kRawCommand, context, &payload); loaded != kExitOk) return loaded;
    const FramedMessage message =
        FrameMessage(kindValue >= 0 ? std::optional(kindValue) : std::nullopt, payload, framing);
    if (!message.error.empty()) return UsageError(context, kRawCommand, message.error);
    NoteDelivery(kindValue, transport, context);
    return SendMessage(message.bytes, transport, context);
}

}  // namespace

const Command kRawCommand = {
    "raw",
    "raw --kind K (--text T | --file F | --stdin | --hex H) [framing] [transport]",
    "send a header and a payload, well formed or malformed on purpose",
    RawHelp,
    RunRaw,
};

}  // namespace mirelo_send
