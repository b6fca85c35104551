#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "args.h"
#include "command.h"

namespace mirelo_send {

inline constexpr int kNotificationPort = 7333;  // the client's ListenPort unless its start-up payload says otherwise

// How a message travels: shared by every command that sends.
struct TransportOptions {
    std::string host = "127.0.0.1";
    int port = kNotificationPort;
    bool tcp = false;
    int chunkBytes = 0;  // TCP: send in pieces of this size; 0: at once
    int delayMs = 0;     // TCP: pause between pieces
    int repeat = 1;
    int intervalMs = 0;  // pause between repeated messages
    double timeoutSeconds = 5;
    bool dryRun = false;
    bool quiet = false;
};

void AddTransportOptions(std::vector<Option>& options, TransportOptions* transport);

// The help section of the transport options.
std::string_view TransportHelp();

// Checks what the option table cannot: combinations. Returns what is wrong, empty when all is well.
std::string CheckTransport(const TransportOptions& transport);

// Parses the arguments of a command that sends: its own options plus the transport options, then
// checks the transport. Returns true to go on; otherwise *exitCode says how the command ends.
bool ParseSendingArgs(const Command& command, const Args& args, std::vector<Option> options,
                      TransportOptions* transport, std::vector<std::string>* positionals, Context& context,
                      int* exitCode);

// Sends the message as the options say (or prints it with --dry-run) and returns the exit code.
int SendMessage(std::string_view message, const TransportOptions& transport, Context& context);

}  // namespace mirelo_send
