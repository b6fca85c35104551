#pragma once

// The state the connections of one server share, and the socket helpers they use.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>
#include <string>

#include "audio.h"
#include "options.h"

namespace vocelink_server {

// Writes one line to stderr, whole even when several threads log at once.
void Log(const std::string& line);

class Server {
public:
    Server(Options options, std::string espeakPath);

    const Options& Settings() const { return options_; }
    const std::string& EspeakPath() const { return espeakPath_; }
    const Bytes& Tone() const { return tone_; }

    // Logs what the server did with a request, unless it runs quietly.
    void Note(const std::string& line) const;

    // Keeps the text and the audio of a buffer request in the save folder, when there is one.
    void Keep(const std::string& text, const Bytes& wav);

    // Connections being served; the accept loop keeps this at most maxConnections.
    int Busy() const { return busy_.load(); }
    void Opened(int fd);
    void Closed(int fd);

    // Ends every open connection (their reads and writes fail at once) and refuses new waits.
    void Stop();
    bool Stopping() const { return stopping_.load(); }

    // Waits until the server stops or the time has passed; false when stopping.
    bool Sleep(std::chrono::milliseconds duration);

private:
    Options options_;
    std::string espeakPath_;
    Bytes tone_;
    std::atomic<int> busy_{0};
    std::atomic<int> kept_{0};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<int> open_;
};

// Blocking transfers on a connected socket; false on an error, a timeout or the end of the stream.
bool ReadExact(int fd, void* bytes, std::size_t count);
bool WriteAll(int fd, const void* first, std::size_t firstCount, const void* second = nullptr,
              std::size_t secondCount = 0);

// Serves one accepted connection until the client is done; closes it.
void ServeConnection(Server& server, int fd);

}  // namespace vocelink_server
