#include "bytes.h"
#include "command.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kMessengerIntro =
    "Usage: mirelo-send messenger TEXT [PART...] [--nul-separated] [--literal] [transport]\n"
    "       mirelo-send messenger --user-signin ID URL [transport]\n"
    "Sends a messenger text to the client as one UDP datagram, as the messenger program does. The client\n"
    "takes such texts only from its own machine (a loopback sender) and does not relay them.\n"
    "TEXT starts with '@'. Backslash escapes in TEXT and PARTs are decoded: \\0 NUL (never octal),\n"
    "\\\\ backslash, \\n, \\r, \\t, \\xHH.\n"
    "  --nul-separated        join TEXT and the PARTs with one NUL between each\n"
    "  --literal              send TEXT and the PARTs as written, without decoding escapes\n"
    "  --user-signin ID URL   the sign-in text: \"@U\" + ID + NUL + URL (taken as written)\n"
    "Texts the client understands: @0 + a presence code (NLN online, BSY busy, BRB, AWY away, LUN eat,\n"
    "PHN phone, HDN hidden), @B blink the tray icon, @E or @O signed out, @PT or @PF messenger window on\n"
    "top or not, @R reload the settings, @U + user id + NUL + base URL signed in.\n"
    "The default --port is the client's ListenPort, 7333. The client sends its own texts (@0 + code, @I,\n"
    "@O, @E, @S) and relays notifications to ListenPort + 1: 'mirelo-send listen' shows them.\n"
    "\n";

constexpr std::string_view kMessengerExamples =
    "--tcp, --chunk and --delay-ms do not apply: messenger texts are datagrams.\n"
    "\n"
    "Examples:\n"
    "  mirelo-send messenger @0BSY                              the messenger reports 'busy'\n"
    "  mirelo-send messenger --user-signin kim http://gw.example/  the user signed in\n"
    "  mirelo-send messenger '@Ukim\\0http://gw.example/'         the same with an escape\n"
    "  mirelo-send messenger --nul-separated @Ukim http://gw.example/  the same again\n";

std::string MessengerHelp() {
    return std::string(kMessengerIntro) + std::string(TransportHelp()) + std::string(kMessengerExamples);
}

// The datagram for the words given, or a usage error in *error.
std::string BuildText(const Args& parts, bool nulSeparated, bool literal, std::string* error) {
    if (parts.size() > 1 && !nulSeparated) {
        *error = "more than one TEXT: quote it as one word, or join the parts with --nul-separated";
        return {};
    }
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += '\0';
        if (literal) {
            text += parts[i];
        } else if (std::optional<std::string> decoded = DecodeEscapes(parts[i], error)) {
            text += *decoded;
        } else {
            *error = "in '" + parts[i] + "': " + *error;
            return {};
        }
    }
    return text;
}

int RunMessenger(const Args& args, Context& context) {
    bool nulSeparated = false;
    bool literal = false;
    std::optional<std::string> signin;
    TransportOptions transport;
    const std::vector<Option> options = {
        FlagOption("--nul-separated", &nulSeparated),
        FlagOption("--literal", &literal),
        {"--user-signin", 2,
         [&signin](const Args& values) {
             signin = "@U" + values[0] + std::string(1, '\0') + values[1];
             return std::string();
         }},
    };
    Args parts;
    int exitCode = kExitOk;
    if (!ParseSendingArgs(kMessengerCommand, args, options, &transport, &parts, context, &exitCode)) return exitCode;
    if (transport.tcp) return UsageError(context, kMessengerCommand, "messenger texts are UDP datagrams: drop --tcp");
    if (signin && !parts.empty()) return UsageError(context, kMessengerCommand, "give TEXT or --user-signin, not both");
    if (!signin && parts.empty()) return UsageError(context, kMessengerCommand, "no TEXT given (e.g. @0NLN)");
    std::string error;
    const std::string text = signin ? *signin : BuildText(parts, nulSeparated, literal, &error);
    if (!error.empty()) return UsageError(context, kMessengerCommand, error);
    if (!text.starts_with('@')) {
        return UsageError(context, kMessengerCommand,
                          "a messenger text starts with '@' (e.g. @0NLN); 'raw --no-header' sends other bytes");
    }
    return SendMessage(text, transport, context);
}

}  // namespace

const Command kMessengerCommand = {
    "messenger",
    "messenger TEXT [PART...] [--nul-separated] [--literal] [transport] | messenger --user-signin ID URL",
    "send a messenger text (\"@...\") to the client, as the messenger program does",
    MessengerHelp,
    RunMessenger,
};

}  // namespace mirelo_send
