#include "audio.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace vocelink_server {
namespace {

constexpr int kToneRate = 16000;
constexpr double kToneHz = 440.0;
constexpr int kWavHeaderBytes = 44;

// Writes little-endian numbers and four-letter tags into a byte image.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}
    void Number(std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            out_[at_++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    void Tag(const char* tag) {
        std::memcpy(&out_[at_], tag, 4);
        at_ += 4;
    }

private:
    Bytes& out_;
    std::size_t at_ = 0;
};

// A temporary file that is removed when it goes out of scope.
class TempFile {
public:
    explicit TempFile(const char* suffix) {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/vocelink-server-XXXXXX" + suffix;
        int fd = mkstemps(path_.data(), static_cast<int>(std::strlen(suffix)));
        if (fd < 0) {
            path_.clear();
        } else {
            close(fd);
        }
    }
    ~TempFile() {
        if (!path_.empty()) {
            unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Runs a program with its standard output discarded (ours carries the port) and waits for it.
int RunProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

Bytes ToneWav(int dataBytes) {
    const int samples = dataBytes / 2;
    Bytes wav(kWavHeaderBytes + static_cast<std::size_t>(samples) * 2);
    ByteWriter out(wav);
    out.Tag("RIFF");
    out.Number(36 + samples * 2, 4);
    out.Tag("WAVE");
    out.Tag("fmt ");
    out.Number(16, 4);
    out.Number(1, 2);  // PCM
    out.Number(1, 2);  // mono
    out.Number(kToneRate, 4);
    out.Number(kToneRate * 2, 4);
    out.Number(2, 2);
    out.Number(16, 2);
    out.Tag("data");
    out.Number(samples * 2, 4);
    for (int i = 0; i < samples; ++i) {
        double value = 8000.0 * std::sin(2.0 * M_PI * kToneHz * i / kToneRate);
        out.Number(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value))), 2);
    }
    return wav;
}

std::string FindProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0 ? program : "";
    }
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return "";
}

Speech SpeakWithEspeak(const std::string& program, const std::string& voice, std::string_view utf8Text) {
    Speech speech;
    TempFile textFile(".txt");
    TempFile wavFile(".wav");
    if (textFile.Path().empty() || wavFile.Path().empty()) {
        speech.error = "cannot create temporary files";
        return speech;
    }
    std::ofstream(textFile.Path(), std::ios::binary)
        .write(utf8Text.data(), static_cast<std::streamsize>(utf8Text.size()));
    int exitCode = RunProgram(program, {program, "-v", voice, "-b", "1", "-w", wavFile.Path(), "-f", textFile.Path()});
    if (exitCode != 0) {
        speech.error = program + " failed (exit status " + std::to_string(exitCode) + ")";
        return speech;
    }
    std::ifstream wav(wavFile.Path(), std::ios::binary);
    speech.wav.assign(std::istreambuf_iterator<char>(wav), std::istreambuf_iterator<char>());
    speech.ok = speech.wav.size() >= kWavHeaderBytes;
    if (!speech.ok) {
        speech.error = program + " wrote no WAV file";
    }
    return speech;
}

}  // namespace vocelink_server
