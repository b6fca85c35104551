#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <ostream>

#include "command.h"
#include "datagram_format.h"
#include "net.h"

namespace mirelo_send {
namespace {

constexpr int kMessengerPort = 7334;          // the client relays to its ListenPort + 1
constexpr int kReceiveBufferBytes = 4 << 20;  // room for a burst of relayed notifications

constexpr std::string_view kListenHelp =
    "Usage: mirelo-send listen [--port P] [--bind ADDR] [--count N] [--timeout S] [--format text|hex|json]\n"
    "Binds a UDP socket and prints every datagram that arrives, for example what the client sends to the\n"
    "messenger at its ListenPort + 1. The first line is always \"listening on ADDR:PORT\" with the port\n"
    "actually bound (so --port 0 picks a free one); then every datagram as --format says. The output is\n"
    "flushed after every datagram; a summary \"received N datagrams\" goes to standard error at the end.\n"
    "  --port P          UDP port (default 7334, where the client with ListenPort 7333 relays); 0: any free\n"
    "  --bind ADDR       address to bind (default 127.0.0.1; 0.0.0.0 for every interface)\n"
    "  --count N         stop after N datagrams\n"
    "  --timeout S       stop after S seconds (fractions allowed)\n"
    "  --format F        text (default): \"#1 from 127.0.0.1:40001, 67 bytes\", then hex dump rows of 16\n"
    "                    bytes with their printable text ('.' for the others)\n"
    "                    hex: the bytes as hex digits, one line per datagram\n"
    "                    json: one object per line: {\"index\":1,\"from\":\"127.0.0.1:40001\",\n"
    "                    \"time\":1718000000.123,\"length\":67,\"hex\":\"3030...\",\"base64\":\"MDAw...\",\n"
    "                    \"text\":\"0000005702...\"}; time is in seconds since 1970, text has every byte as\n"
    "                    the character of that code point (in Python, text.encode('latin-1') is the bytes)\n"
    "Without --count or --timeout it runs until interrupted.\n"
    "Exit codes: 0 when --count datagrams arrived, or when --timeout ends a listen without --count (even\n"
    "with none); 4 when --timeout passes before --count datagrams arrived; 1 when the port cannot be bound;\n"
    "2 usage error.\n"
    "\n"
    "Examples:\n"
    "  mirelo-send listen                               what the client on this desktop relays\n"
    "  mirelo-send listen --port 0 --count 1 --timeout 10 --format json\n";

std::string ListenHelp() { return std::string(kListenHelp); }

struct ListenOptions {
    std::string bind = "127.0.0.1";
    int port = kMessengerPort;
    int count = 0;
    double timeoutSeconds = 0;
    DatagramFormat format = DatagramFormat::Text;
};

double SecondsSinceEpoch() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

// Prints datagrams until the count or the deadline; returns how many arrived.
int Receive(const Socket& socket, const ListenOptions& options, Context& context) {
    using Clock = std::chrono::steady_clock;
    const bool timed = options.timeoutSeconds > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(options.timeoutSeconds));
    std::string buffer(65536, '\0');
    int received = 0;
    while (options.count == 0 || received < options.count) {
        int waitMs = -1;
        if (timed) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) break;
            waitMs = static_cast<int>(left);
        }
        pollfd watched{socket.Fd(), POLLIN, 0};
        if (poll(&watched, 1, waitMs) <= 0) continue;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t size =
            recvfrom(socket.Fd(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (size < 0) continue;
        ++received;
        const ReceivedDatagram datagram{received, Describe(from), SecondsSinceEpoch(),
                                        buffer.substr(0, static_cast<std::size_t>(size))};
        context.out << FormatDatagram(datagram, options.format) << std::flush;
    }
    return received;
}

int RunListen(const Args& args, Context& context) {
    ListenOptions listen;
    const std::vector<Option> options = {
        TextOption("--bind", &listen.bind),
        IntegerOption("--port", &listen.port, 0, 65535),
        IntegerOption("--count", &listen.count, 1, 1 << 30),
        SecondsOption("--timeout", &listen.timeoutSeconds, 86400),
        {"--format", 1,
         [&listen](const Args& values) {
             const std::optional<DatagramFormat> format = ParseDatagramFormat(values[0]);
             if (format) listen.format = *format;
             return format ? std::string() : "expects text, hex or json, not '" + values[0] + "'";
         }},
    };
    int exitCode = kExitOk;
    if (!ParseCommandArgs(kListenCommand, args, options, nullptr, context, &exitCode)) return exitCode;
    std::string error;
    std::optional<sockaddr_in> address = Resolve(listen.bind, listen.port, &error);
    Socket socket = address ? OpenUdp(&*address, &error) : Socket();
    if (socket.Valid()) address = BoundAddress(socket);
    if (!socket.Valid() || !address) {
        context.err << "mirelo-send listen: " << (error.empty() ? "cannot read the bound address" : error) << '\n';
        return kExitNetwork;
    }
    // A failure here only makes bursts more likely to overflow; the kernel may also cap the size.
    setsockopt(socket.Fd(), SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    context.out << "listening on " << Describe(*address) << std::endl;
    if (context.onListening) context.onListening(listen.bind, ntohs(address->sin_port));
    const int received = Receive(socket, listen, context);
    context.err << "received " << received << (received == 1 ? " datagram\n" : " datagrams\n");
    return listen.count > 0 && received < listen.count ? kExitTimedOut : kExitOk;
}

}  // namespace

const Command kListenCommand = {
    "listen",
    "listen [--port P] [--bind ADDR] [--count N] [--timeout S] [--format text|hex|json]",
    "print the datagrams arriving on a UDP port (default 7334, where the client relays)",
    ListenHelp,
    RunListen,
};

}  // namespace mirelo_send
