// vocelink-server: a speech server for the vocelink protocol, for test desktops and the tests.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <thread>

#include "server.h"

using namespace vocelink_server;

namespace {

int Listen(const Options& options, int* port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    if (inet_pton(AF_INET, options.bindAddress.c_str(), &address.sin_addr) != 1) {
        Log("not an IPv4 address: " + options.bindAddress);
        return -1;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        Log("cannot listen on " + options.bindAddress + ":" + std::to_string(options.port) + ": " +
            std::strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

void PrepareConnection(int fd, int idleSeconds) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval idle{idleSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &idle, sizeof idle);
}

// Accepts connections until SIGINT or SIGTERM arrives on signalFd, one thread per connection, at most
// maxConnections at once; then ends the open connections and waits for their threads.
void Run(Server& server, int listenFd, int signalFd) {
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> workers;
    const int limit = server.Settings().maxConnections;
    while (true) {
        bool room = server.Busy() < limit;
        pollfd watched[2] = {{signalFd, POLLIN, 0}, {listenFd, static_cast<short>(room ? POLLIN : 0), 0}};
        // When full, look again shortly: a connection may have ended.
        int ready = poll(watched, 2, room ? -1 : 20);
        if (ready < 0 && errno != EINTR) {
            Log(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (watched[0].revents != 0) {
            signalfd_siginfo info{};
            ssize_t got = read(signalFd, &info, sizeof info);
            Log("stopping on signal " + std::to_string(got > 0 ? static_cast<int>(info.ssi_signo) : 0));
            break;
        }
        if ((watched[1].revents & POLLIN) == 0) {
            continue;
        }
        int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        PrepareConnection(fd, server.Settings().idleSeconds);
        server.Opened(fd);
        // Threads of finished connections are joined here, so that they do not pile up.
        workers.remove_if([](Worker& worker) {
            bool done = worker.done->load();
            if (done) {
                worker.thread.join();
            }
            return done;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers.push_back(Worker{std::thread([&server, fd, done] {
                                     ServeConnection(server, fd);
                                     done->store(true);
                                 }),
                                 done});
    }
    server.Stop();
    for (Worker& worker : workers) {
        worker.thread.join();
    }
}

}  // namespace

int main(int argc, char** argv) {
    ParseResult parsed = ParseOptions(argc, argv);
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    const Options& options = *parsed.options;
    std::string espeak;
    if (!options.tone) {
        espeak = FindProgram(options.espeak);
        if (espeak.empty()) {
            Log("cannot run " + options.espeak +
                ": install the espeak-ng package, name the program with --espeak, or answer with --tone");
            return 3;
        }
    }
    // The stop signals are read from a descriptor by the accept loop; every thread blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);

    int port = 0;
    int listenFd = Listen(options, &port);
    if (listenFd < 0 || signalFd < 0) {
        return 1;
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    Log("listening on " + options.bindAddress + ":" + std::to_string(port) +
        (options.tone ? ", answering with a tone" : ", speaking with " + espeak));

    Server server(options, espeak);
    Run(server, listenFd, signalFd);
    close(listenFd);
    close(signalFd);
    Log("stopped");
    return 0;
}
