#include <ostream>

#include "batch_xml.h"
#include "command.h"
#include "framing_options.h"
#include "payload_source.h"
#include "reception/framing.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kBatchIntro =
    "Usage: mirelo-send batch (--notify TYPE [fields] ... | --file F | --text T | --stdin) [options] [transport]\n"
    "Sends an XML batch (kind 98) over TCP, as the server does with the notifications a user missed. The\n"
    "client appends one Notification element per notify element to its store file (<UserKey>_alerts.xml in\n"
    "its program folder), as far as the user's save options allow; it shows no pop-up. The client reads the\n"
    "batch in its ANSI code page (949 on Korean desktops) whatever the declaration says.\n"
    "\n"
    "Building the batch: each --notify starts a notify element; the field options after it fill it, in the\n"
    "order given (a field not given is no element: the client stores a blank):\n"
    "  --notify TYPE         a notify element with type=\"TYPE\" (1 bbs, 2 mail, 3 schedule, 4-7 approval,\n"
    "                        8-9 message, 10 notice)\n"
    "  --sender S  --subject S  --flag N (1 is urgent)  --date D  --function F  --url U\n"
    "  --title T             the subject of a message (types 8 and 9)\n"
    "  --decision-user U     the approver: the sender of types 4 to 7 when not empty\n"
    "  --upload-user U       the drafter: the sender of types 4 to 7 otherwise\n"
    "  --doc-type N          the document type of types 4 to 7\n"
    "  --element NAME=TEXT   any other child element\n"
    "  --encoding E          the bytes of the texts: cp949 (default), cp1252, utf-8, or another iconv name\n"
    "  --declare E           the encoding named by the declaration (default EUC-KR for cp949, else E;\n"
    "                        '' writes none)\n"
    "  --root NAME           the root element (default NotifyList)\n"
    "  --print               write the batch to standard output instead of sending it\n"
    "Or a batch as it is (bytes sent unchanged):\n"
    "  --file F | --text T | --stdin\n"
    "\n";

constexpr std::string_view kBatchExamples =
    "The batch always travels over TCP (--tcp is implied): the client reads kind 98 only there.\n"
    "\n"
    "Examples:\n"
    "  mirelo-send batch --port 7400 --notify 2 --sender Kim --subject 'Weekly report' --flag 1 \\\n"
    "      --date '2026-12-07 09:30' --function OpenMail --url 'http://gw.example/mail?id=7' \\\n"
    "      --notify 5 --subject 'Purchase order' --decision-user Lee --doc-type 3\n"
    "  mirelo-send batch --notify 8 --title 'Lunch?' --sender Park --print\n"
    "  mirelo-send batch --file missed.xml --port 7400\n";

std::string BatchHelp() {
    return std::string(kBatchIntro) + FramingHelp() + "\n" + std::string(TransportHelp()) + std::string(kBatchExamples);
}

struct BatchOptions {
    BatchDocument document;
    std::string encoding = "cp949";
    std::optional<std::string> declare;
    bool print = false;
};

// A field option: adds a child element to the notify element given last.
Option FieldOption(std::string name, std::string element, BatchOptions* batch) {
    return {std::move(name), 1, [batch, element](const Args& values) {
                if (batch->document.notifications.empty()) return std::string("comes after a --notify TYPE");
                batch->document.notifications.back().children.emplace_back(element, values[0]);
                return std::string();
            }};
}

std::vector<Option> BatchOptionTable(BatchOptions* batch) {
    std::vector<Option> options = {
        {"--notify", 1,
         [batch](const Args& values) {
             batch->document.notifications.push_back({values[0], {}});
             return std::string();
         }},
        {"--element", 1,
         [batch](const Args& values) {
             const std::size_t equals = values[0].find('=');
             if (equals == 0 || equals == std::string::npos) return std::string("expects NAME=TEXT");
             return FieldOption("--element", values[0].substr(0, equals), batch).apply({values[0].substr(equals + 1)});
         }},
        TextOption("--encoding", &batch->encoding),
        TextOption("--declare", &batch->declare),
        TextOption("--root", &batch->document.root),
        FlagOption("--print", &batch->print),
    };
    for (const char* field :
         {"sender", "subject", "flag", "date", "title", "decision-user", "upload-user", "doc-type"}) {
        options.push_back(FieldOption(std::string("--") + field, field, batch));
    }
    options.push_back(FieldOption("--function", "function-name", batch));
    options.push_back(FieldOption("--url", "openurl", batch));
    return options;
}

// The batch's bytes from the options, or the exit code after reporting the problem.
int BuildBatch(BatchOptions& batch, const PayloadSource& source, Context& context, std::string* bytes) {
    const bool fromSource = source.text || source.file || source.hex || source.fromStdin;
    if (fromSource == !batch.document.notifications.empty()) {
        return UsageError(context, kBatchCommand, "give --notify TYPE ... or one of --file, --text, --stdin");
    }
    if (fromSource) return LoadPayload(source, kBatchCommand, context, bytes);
    const bool korean = batch.encoding == "cp949" || batch.encoding == "CP949";
    batch.document.declaredEncoding = batch.declare.value_or(korean ? "EUC-KR" : batch.encoding);
    std::string error;
    const std::optional<std::string> encoded = EncodeBatch(BatchXml(batch.document), batch.encoding, &error);
    if (!encoded) return UsageError(context, kBatchCommand, error);
    *bytes = *encoded;
    return kExitOk;
}

int RunBatch(const Args& args, Context& context) {
    BatchOptions batch;
    PayloadSource source;
    FramingOptions framing;
    TransportOptions transport;
    transport.tcp = true;
    std::vector<Option> options = BatchOptionTable(&batch);
    AddPayloadOptions(options, &source);
    AddFramingOptions(options, &framing);
    int exitCode = kExitOk;
    if (!ParseSendingArgs(kBatchCommand, args, options, &transport, nullptr, context, &exitCode)) return exitCode;
    std::string bytes;
    if (int built = BuildBatch(batch, source, context, &bytes); built != kExitOk) return built;
    if (batch.print) {
        context.out << bytes;
        return kExitOk;
    }
    const FramedMessage message = FrameMessage(mirelo::kKindXmlBatch, bytes, framing);
    if (!message.error.empty()) return UsageError(context, kBatchCommand, message.error);
    return SendMessage(message.bytes, transport, context);
}

}  // namespace

const Command kBatchCommand = {
    "batch",
    "batch (--notify TYPE [fields] ... | --file F | --text T | --stdin) [options] [transport]",
    "send an XML batch (kind 98) over TCP: notifications for the client's store file",
    BatchHelp,
    RunBatch,
};

}  // namespace mirelo_send
