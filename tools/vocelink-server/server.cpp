#include "server.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace vocelink_server {

void Log(const std::string& line) {
    static std::mutex logMutex;
    std::lock_guard<std::mutex> lock(logMutex);
    std::fprintf(stderr, "vocelink-server: %s\n", line.c_str());
    std::fflush(stderr);
}

Server::Server(Options options, std::string espeakPath)
    : options_(std::move(options)), espeakPath_(std::move(espeakPath)) {
    if (options_.tone) {
        tone_ = ToneWav(options_.toneBytes);
    }
}

void Server::Note(const std::string& line) const {
    if (!options_.quiet) {
        Log(line);
    }
}

void Server::Keep(const std::string& text, const Bytes& wav) {
    if (options_.saveDir.empty()) {
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "speech-%03d", ++kept_);
    const std::string stem = options_.saveDir + "/" + name;
    bool written = static_cast<bool>(std::ofstream(stem + ".txt", std::ios::binary) << text);
    written = static_cast<bool>(
                  std::ofstream(stem + ".wav", std::ios::binary)
                      .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()))) &&
              written;
    Note(written ? "kept " + stem + ".wav" : "cannot write " + stem + ".txt/.wav");
}

void Server::Opened(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_.insert(fd);
    ++busy_;
}

void Server::Closed(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_.erase(fd);
    --busy_;
}

void Server::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (int fd : open_) {
        shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
}

bool Server::Sleep(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return stopping_.load(); });
}

bool ReadExact(int fd, void* bytes, std::size_t count) {
    auto* at = static_cast<char*>(bytes);
    while (count > 0) {
        ssize_t got = recv(fd, at, count, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const void* first, std::size_t firstCount, const void* second, std::size_t secondCount) {
    // One system call for a reply and its audio, so they leave in as few segments as possible.
    iovec parts[2] = {{const_cast<void*>(first), firstCount}, {const_cast<void*>(second), secondCount}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = secondCount > 0 ? 2 : 1;
    while (message.msg_iovlen > 0) {
        ssize_t sent = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        auto left = static_cast<std::size_t>(sent);
        while (message.msg_iovlen > 0 && left >= message.msg_iov->iov_len) {
            left -= message.msg_iov->iov_len;
            ++message.msg_iov;
            --message.msg_iovlen;
        }
        if (message.msg_iovlen > 0) {
            message.msg_iov->iov_base = static_cast<char*>(message.msg_iov->iov_base) + left;
            message.msg_iov->iov_len -= left;
        }
    }
    return true;
}

}  // namespace vocelink_server
