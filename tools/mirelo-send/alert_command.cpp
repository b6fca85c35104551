#include <json/json.h>

#include <ctime>
#include <optional>
#include <ostream>

#include "command.h"
#include "framing_options.h"
#include "payload_source.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr int kAlertKind = 20;

constexpr std::string_view kAlertIntro =
    "Usage: mirelo-send alert --message M [--title T] [--sender S] [--dept D] [--job J] [--date D]\n"
    "                         [--href URL] [--ip IP] [--emergency-type E] [framing] [transport]\n"
    "       mirelo-send alert (--text T | --file F | --stdin | --hex H) [framing] [transport]\n"
    "Sends an alert (kind 20): a JSON object in UTF-8, built from named options or given as it is. The\n"
    "client shows the blue alert pop-up at the right bottom of the screen: the title in bold, rows\n"
    "Title (the message), Sender (\"department name job\") and Date, and the buttons View, Close and C\n"
    "(closes every alert). From then on every pop-up of the client appears at the right bottom.\n"
    "\n"
    "Members (strings; an option not given leaves its member out):\n"
    "  --message M         \"message\": the text of the Title row\n"
    "  --title T           goes in front of the message as \"T@#M\": the client shows T as the bold title\n"
    "  --sender S          \"senderName\"\n"
    "  --dept D            \"senderDeptName\"\n"
    "  --job J             \"senderJobName\"\n"
    "  --date D            \"inDate\", yyyymmddhhmmss (default: now), shown as yyyy.mm.dd hh:mm:ss\n"
    "  --href URL          \"href\": the page View opens; \"&K=\" and the user id are appended unless present\n"
    "  --ip IP             \"ip\"\n"
    "  --emergency-type E  \"emergencyType\" (the client keeps it and shows nothing of it)\n"
    "\n"
    "Raw JSON instead of the members (sent as given; the client reads the first object in it):\n";

constexpr std::string_view kAlertExamples =
    "\n"
    "A datagram carries at most 1000 bytes to the client: send longer alerts with --tcp.\n"
    "\n"
    "Examples:\n"
    "  mirelo-send alert --title 'Fire drill' --message 'Assemble in the car park at 15:00' \\\n"
    "      --sender Kim --dept Facilities --job Manager --href 'http://gw.example/alert?id=3'\n"
    "  mirelo-send alert --text '{\"message\":\"Server restart@#in 10 minutes\"}'\n"
    "  mirelo-send alert --file alert.json --tcp --port 7400\n";

std::string AlertHelp() {
    return std::string(kAlertIntro) + std::string(PayloadHelp()) + "\n" + FramingHelp() + "\n" +
           std::string(TransportHelp()) + std::string(kAlertExamples);
}

struct AlertMembers {
    std::optional<std::string> message;
    std::optional<std::string> title;
    std::optional<std::string> sender;
    std::optional<std::string> dept;
    std::optional<std::string> job;
    std::optional<std::string> date;
    std::optional<std::string> href;
    std::optional<std::string> ip;
    std::optional<std::string> emergencyType;

    bool Any() const { return message || title || sender || dept || job || date || href || ip || emergencyType; }
};

std::string Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof(text), "%Y%m%d%H%M%S", &local);
    return text;
}

// One line of JSON, its text kept in UTF-8 rather than escaped.
std::string BuildAlertJson(const AlertMembers& m) {
    Json::Value alert(Json::objectValue);
    alert["message"] = m.title ? *m.title + "@#" + *m.message : *m.message;
    alert["inDate"] = m.date ? *m.date : Now();
    const std::pair<const char*, const std::optional<std::string>*> optional[] = {{"senderName", &m.sender},
                                                                                  {"senderDeptName", &m.dept},
                                                                                  {"senderJobName", &m.job},
                                                                                  {"href", &m.href},
                                                                                  {"ip", &m.ip},
                                                                                  {"emergencyType", &m.emergencyType}};
    for (const auto& [name, value] : optional) {
        if (value->has_value()) alert[name] = **value;
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, alert);
}

int RunAlert(const Args& args, Context& context) {
    AlertMembers members;
    PayloadSource source;
    FramingOptions framing;
    TransportOptions transport;
    std::vector<Option> options = {TextOption("--message", &members.message),
                                   TextOption("--title", &members.title),
                                   TextOption("--sender", &members.sender),
                                   TextOption("--dept", &members.dept),
                                   TextOption("--job", &members.job),
                                   TextOption("--date", &members.date),
                                   TextOption("--href", &members.href),
                                   TextOption("--ip", &members.ip),
                                   TextOption("--emergency-type", &members.emergencyType)};
    AddPayloadOptions(options, &source);
    AddFramingOptions(options, &framing);
    int exitCode = kExitOk;
    if (!ParseSendingArgs(kAlertCommand, args, options, &transport, nullptr, context, &exitCode)) return exitCode;

    const bool raw = source.text || source.file || source.hex || source.fromStdin;
    std::string payload;
    if (raw) {
        if (members.Any()) return UsageError(context, kAlertCommand, "give either the members or the raw JSON");
        if (int loaded = LoadPayload(source, kAlertCommand, context, &payload); loaded != kExitOk) return loaded;
    } else {
        if (!members.message) return UsageError(context, kAlertCommand, "--message is required");
        payload = BuildAlertJson(members);
    }
    const FramedMessage message = FrameMessage(kAlertKind, payload, framing);
    if (!message.error.empty()) return UsageError(context, kAlertCommand, message.error);
    return SendMessage(message.bytes, transport, context);
}

}  // namespace

const Command kAlertCommand = {
    "alert",
    "alert --message M [--title T] [members] | (--text T | --file F | --stdin | --hex H) [transport]",
    "send an alert (kind 20) as JSON built from named options, or raw",
    AlertHelp,
    RunAlert,
};

}  // namespace mirelo_send
