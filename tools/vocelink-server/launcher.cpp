#include "launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace vocelink_server {
namespace {

std::string TempPath() {
    std::string path = "/tmp/vocelink-test-XXXXXX";
    int fd = mkstemp(path.data());
    if (fd >= 0) {
        close(fd);
    }
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Starts the server with stdout into `stdoutFd` and stderr into the file `logPath`.
pid_t Spawn(const std::vector<std::string>& options, int stdoutFd, const std::string& logPath) {
    std::vector<std::string> args = {VOCELINK_SERVER_PATH};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(), O_WRONLY | O_TRUNC, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid, int timeoutMs) {
    int status = 0;
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& options) : logPath_(TempPath()) {
    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    std::vector<std::string> all = {"--port", "0"};
    all.insert(all.end(), options.begin(), options.end());
    pid_ = Spawn(all, out[1], logPath_);
    close(out[1]);
    std::string line;
    char c = 0;
    pollfd entry{out[0], POLLIN, 0};
    while (pid_ > 0 && poll(&entry, 1, 5000) == 1 && read(out[0], &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
}

ServerProcess::~ServerProcess() {
    Stop();
    unlink(logPath_.c_str());
}

int ServerProcess::Stop() {
    if (pid_ <= 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    int result = WaitExit(pid_, 5000);
    pid_ = -1;
    return result;
}

std::string ServerProcess::Log() const { return ReadFile(logPath_); }

int RunServerOnce(const std::vector<std::string>& options, std::string* output) {
    std::string outPath = TempPath();
    std::string errPath = TempPath();
    int outFd = open(outPath.c_str(), O_WRONLY | O_TRUNC);
    pid_t pid = Spawn(options, outFd, errPath);
    close(outFd);
    int result = pid > 0 ? WaitExit(pid, 5000) : -1;
    *output = ReadFile(outPath) + ReadFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return result;
}

}  // namespace vocelink_server
