#pragma once

// vocelink-server as a child process of a test or the benchmark, on a free loopback port.

#include <sys/types.h>
#include <string>
#include <vector>

namespace vocelink_server {

class ServerProcess {
public:
    // Starts the server with `--port 0` and the given options and reads the port it prints.
    explicit ServerProcess(const std::vector<std::string>& options);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Started() const { return port_ > 0; }
    int Port() const { return port_; }

    // Sends SIGTERM and waits; the exit status, or -1 when the server did not end within five seconds
    // or ended by a signal.
    int Stop();

    // What the server wrote on stderr so far.
    std::string Log() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string logPath_;
};

// Runs the server to its end with the given options (for options that end it at once); returns its
// exit status and what it printed on stdout and stderr.
int RunServerOnce(const std::vector<std::string>& options, std::string* output);

}  // namespace vocelink_server
