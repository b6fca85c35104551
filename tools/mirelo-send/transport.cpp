#include "transport.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "bytes.h"
#include "net.h"
#include "reception/framing.h"

namespace mirelo_send {
namespace {

constexpr int kMaxMilliseconds = 3600 * 1000;

constexpr std::string_view kTransportHelp =
    "Transport options:\n"
    "  --host H          host name or IPv4 address of the desktop (default 127.0.0.1)\n"
    "  --port P          the client's ListenPort (default 7333)\n"
    "  --tcp             one TCP connection per message, for a client in TCP mode (ListenMode 1):\n"
    "                    connect, send, shut down the sending side, wait until the client closes;\n"
    "                    default is UDP, one datagram per message\n"
    "  --chunk N         TCP: send in pieces of N bytes\n"
    "  --delay-ms D      TCP: wait D ms between pieces\n"
    "  --timeout S       TCP: seconds to wait for the connection, for each piece and for the close\n"
    "                    (default 5; fractions allowed)\n"
    "  --repeat N        send the message N times (default 1); over TCP, one connection each\n"
    "  --interval-ms D   wait D ms between repeated messages (default 0: back to back)\n"
    "  --dry-run         print each message as hex on a line of its own instead of sending it\n"
    "  --quiet           no summary line and no notes\n";

std::string Plural(int count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

}  // namespace

void AddTransportOptions(std::vector<Option>& options, TransportOptions* transport) {
    options.push_back(TextOption("--host", &transport->host));
    options.push_back(IntegerOption("--port", &transport->port, 1, 65535));
    options.push_back(FlagOption("--tcp", &transport->tcp));
    options.push_back(IntegerOption("--chunk", &transport->chunkBytes, 1, 1 << 30));
    options.push_back(IntegerOption("--delay-ms", &transport->delayMs, 0, kMaxMilliseconds));
    options.push_back(SecondsOption("--timeout", &transport->timeoutSeconds, 3600));
    options.push_back(IntegerOption("--repeat", &transport->repeat, 1, 10'000'000));
    options.push_back(IntegerOption("--interval-ms", &transport->intervalMs, 0, kMaxMilliseconds));
    options.push_back(FlagOption("--dry-run", &transport->dryRun));
    options.push_back(FlagOption("--quiet", &transport->quiet));
}

std::string_view TransportHelp() { return kTransportHelp; }

std::string CheckTransport(const TransportOptions& transport) {
    if (!transport.tcp && (transport.chunkBytes > 0 || transport.delayMs > 0)) {
        return "--chunk and --delay-ms split a TCP message; add --tcp (a UDP message is always one datagram)";
    }
    if (transport.host.empty()) return "--host needs a host name or address";
    return {};
}

bool ParseSendingArgs(const Command& command, const Args& args, std::vector<Option> options,
                      TransportOptions* transport, std::vector<std::string>* positionals, Context& context,
                      int* exitCode) {
    AddTransportOptions(options, transport);
    if (!ParseCommandArgs(command, args, options, positionals, context, exitCode)) return false;
    if (std::string problem = CheckTransport(*transport); !problem.empty()) {
        *exitCode = UsageError(context, command, problem);
        return false;
    }
    return true;
}

int SendMessage(std::string_view message, const TransportOptions& transport, Context& context) {
    if (transport.dryRun) {
        for (int i = 0; i < transport.repeat; ++i) context.out << ToHex(message) << '\n';
        return kExitOk;
    }
    if (!transport.tcp && message.size() > mirelo::kMaxDatagramSize && !transport.quiet) {
        context.err << "mirelo-send: note: the client reads at most " << mirelo::kMaxDatagramSize
                    << " bytes of a datagram; this one has " << message.size() << '\n';
    }
    std::string error;
    const std::optional<sockaddr_in> address = Resolve(transport.host, transport.port, &error);
    Socket udp;
    if (address && !transport.tcp) udp = OpenUdp(nullptr, &error);
    const TcpPlan plan{transport.chunkBytes, transport.delayMs, static_cast<int>(transport.timeoutSeconds * 1000)};
    int sent = 0;
    while (error.empty() && sent < transport.repeat) {
        if (sent > 0 && transport.intervalMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(transport.intervalMs));
        }
        error = transport.tcp ? SendOverTcp(*address, message, plan) : SendDatagram(udp, *address, message);
        if (error.empty()) ++sent;
    }
    if (!error.empty()) {
        context.err << "mirelo-send: " << error;
        if (sent > 0) context.err << " (after " << Plural(sent, "message") << " had been sent)";
        context.err << '\n';
        return kExitNetwork;
    }
    if (!transport.quiet) {
        context.out << "sent " << Plural(sent, "message") << " of " << Plural(static_cast<int>(message.size()), "byte")
                    << " to " << Describe(*address) << " over " << (transport.tcp ? "TCP" : "UDP") << '\n';
    }
    return kExitOk;
}

}  // namespace mirelo_send
