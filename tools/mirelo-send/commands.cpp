#include "command.h"
#include "framing_options.h"

#include <ostream>

namespace mirelo_send {
namespace {

constexpr std::string_view kToolIntro =
    "Usage: mirelo-send COMMAND [OPTIONS]\n"
    "Sends notifications to a Mirelo desktop client exactly as the groupware server does, and listens\n"
    "where the client relays them to the messenger. For administrators checking a desktop, and for tests.\n"
    "\n"
    "Commands:\n";

constexpr std::string_view kToolOutro =
    "Over UDP one datagram is one message (the client reads at most 1000 bytes); over TCP one connection\n"
    "is one message. A datagram that starts with '@' has no header: it is a messenger text. The client\n"
    "listens on its ListenPort (7333 by default) and relays every accepted UDP notification to the\n"
    "messenger at ListenPort + 1 (7334).\n"
    "\n"
    "Exit codes: 0 done; 1 network failure (the message names the address and the reason); 2 usage error;\n"
    "3 input file unreadable; 4 listen --count not reached within --timeout; 5 unexpected internal failure.\n"
    "'mirelo-send COMMAND --help' (or 'mirelo-send help COMMAND') describes a command.\n";

const Command* FindCommand(std::string_view name) {
    for (const Command* command : Commands()) {
        if (command->name == name) return command;
    }
    return nullptr;
}

std::string CommandNames() {
    std::string names;
    for (const Command* command : Commands()) {
        names += (names.empty() ? "" : ", ") + std::string(command->name);
    }
    return names;
}

int ToolUsageError(Context& context, const std::string& message) {
    context.err << "mirelo-send: " << message << "\nTry 'mirelo-send --help'.\n";
    return kExitUsage;
}

}  // namespace

const std::vector<const Command*>& Commands() {
    static const std::vector<const Command*> commands = {
        &kRawCommand,   &kEndCommand,      &kMessengerCommand, &kListenCommand,  &kBbsCommand,
        &kMailCommand,  &kScheduleCommand, &kApprovalCommand,  &kMessageCommand, &kNoticeCommand,
        &kBatchCommand, &kStoreCommand,    &kAlertCommand};
    return commands;
}

std::string ToolHelp() {
    std::string help(kToolIntro);
    for (const Command* command : Commands()) {
        std::string name(command->name);
        name.resize(11, ' ');
        help += "  " + name + std::string(command->summary) + "\n";
    }
    return help + "\n" + std::string(WireFormatHelp()) + std::string(kToolOutro);
}

int RunTool(const Args& args, Context& context) {
    if (args.empty()) return ToolUsageError(context, "no command given (commands: " + CommandNames() + ")");
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
        context.out << ToolHelp();
        return kExitOk;
    }
    const bool helpRequest = first == "help";
    const std::string& name = helpRequest ? args[1] : first;
    const Command* command = FindCommand(name);
    if (command == nullptr) {
        return ToolUsageError(context, "unknown command '" + name + "' (commands: " + CommandNames() + ")");
    }
    if (helpRequest) {
        context.out << command->help();
        return kExitOk;
    }
    return command->run(Args(args.begin() + 1, args.end()), context);
}

int UsageError(Context& context, const Command& command, std::string_view message) {
    context.err << "mirelo-send " << command.name << ": " << message << "\nUsage: mirelo-send " << command.synopsis
                << "\nTry 'mirelo-send " << command.name << " --help'.\n";
    return kExitUsage;
}

bool ParseCommandArgs(const Command& command, const Args& args, const std::vector<Option>& options,
                      std::vector<std::string>* positionals, Context& context, int* exitCode) {
    ParsedArgs parsed = ParseArgs(args, options);
    if (parsed.help) {
        context.out << command.help();
        *exitCode = kExitOk;
        return false;
    }
    if (!parsed.error.empty()) {
        *exitCode = UsageError(context, command, parsed.error);
        return false;
    }
    if (positionals != nullptr) {
        *positionals = std::move(parsed.positionals);
    } else if (!parsed.positionals.empty()) {
        *exitCode = UsageError(context, command, "unexpected argument '" + parsed.positionals[0] + "'");
        return false;
    }
    return true;
}

}  // namespace mirelo_send
