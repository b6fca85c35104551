#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "args.h"

namespace mirelo_send {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNetwork = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInput = 3;
inline constexpr int kExitTimedOut = 4;  // listen --count: fewer datagrams than asked before --timeout
inline constexpr int kExitInternal = 5;  // an unexpected failure inside the tool

// Where a command writes and reads. The program passes the standard streams, the tests string streams.
struct Context {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    // Called by listen once its socket is bound, with the address and port it is bound to.
    std::function<void(const std::string& address, int port)> onListening;
};

// One subcommand. Each lives in its own <name>_command.cpp; Commands() lists them for the tool.
struct Command {
    std::string_view name;
    std::string_view synopsis;  // e.g. "raw --kind K (--text T | ...) [transport]"
    std::string_view summary;   // one line in the tool's help
    std::string (*help)();      // the full help of the command
    int (*run)(const Args& args, Context& context);
};

extern const Command kRawCommand;
extern const Command kEndCommand;
extern const Command kMessengerCommand;
extern const Command kListenCommand;
extern const Command kBbsCommand;
extern const Command kMailCommand;
extern const Command kScheduleCommand;
extern const Command kApprovalCommand;
extern const Command kMessageCommand;
extern const Command kNoticeCommand;
extern const Command kBatchCommand;
extern const Command kStoreCommand;
extern const Command kAlertCommand;

const std::vector<const Command*>& Commands();

// Runs the tool on its arguments (without the program name) and returns the exit code.
int RunTool(const Args& args, Context& context);

// The help text of the whole tool.
std::string ToolHelp();

// Reports a usage error of a command with a hint at its help, and returns kExitUsage.
int UsageError(Context& context, const Command& command, std::string_view message);

// Parses a command's arguments. Returns true to go on; otherwise the help was printed or the error
// reported, and *exitCode says how the command ends.
bool ParseCommandArgs(const Command& command, const Args& args, const std::vector<Option>& options,
                      std::vector<std::string>* positionals, Context& context, int* exitCode);

}  // namespace mirelo_send
