#include "options.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace vocelink_server {
namespace {

constexpr char kUsage[] =
    "Usage: vocelink-server [OPTIONS]\n"
    "A speech server for the vocelink protocol. Buffer requests are answered with a WAV image\n"
    "synthesised by espeak-ng (or a tone); file, play and effect requests, the close request and the\n"
    "status dialogue (SMON/QUIT) are answered too. Every parsed request is logged on stderr.\n"
    "\n"
    "  --port N             TCP port (default 7000); 0 picks a free one. The port is printed on stdout.\n"
    "  --bind ADDRESS       IPv4 address to listen on (default 127.0.0.1)\n"
    "  --piece-size N       audio bytes per reply when the client accepts several pieces (default 16384)\n"
    "  --delay-ms N         wait N milliseconds before every answer\n"
    "  --never-answer       read requests but never answer them\n"
    "  --refuse STATUS      answer every request with this status (e.g. -20) and no audio\n"
    "  --tone               answer with a generated 440 Hz tone instead of speech\n"
    "  --tone-bytes N       audio bytes of the tone after its WAV header (default 32000)\n"
    "  --voice NAME         espeak-ng voice (default: ko for Korean text, else en)\n"
    "  --espeak PROGRAM     the espeak-ng program (default: espeak-ng on the PATH)\n"
    "  --text-encoding NAME encoding of texts that are not UTF-8 (default CP949)\n"
    "  --output-dir DIR     write the audio of file and effect requests into DIR (default: not written)\n"
    "  --save-dir DIR       keep the text and the audio of every buffer request in DIR as\n"
    "                       speech-NNN.txt (the bytes received) and speech-NNN.wav (the audio sent)\n"
    "  --status-line TEXT   answer the status query with TEXT (default \"+OK   <busy connections>\")\n"
    "  --max-connections N  connections served at once (default 16)\n"
    "  --idle-timeout S     drop a connection that sends nothing for S seconds (default 60)\n"
    "  --quiet              do not log requests\n"
    "  --help               show this text\n"
    "SIGINT or SIGTERM stop the server; it ends the open connections and exits with status 0.\n";

struct OptionSpec {
    const char* name;
    bool takesValue;
    std::function<bool(Options&, const std::string&)> apply;
};

bool ToInt(const std::string& text, int low, int high, int* out) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

std::vector<OptionSpec> Specs() {
    auto number = [](int Options::*member, int low, int high) {
        return [=](Options& o, const std::string& v) { return ToInt(v, low, high, &(o.*member)); };
    };
    auto text = [](std::string Options::*member) {
        return [=](Options& o, const std::string& v) {
            o.*member = v;
            return !v.empty();
        };
    };
    auto flag = [](bool Options::*member) { return [=](Options& o, const std::string&) { return o.*member = true; }; };
    return {
        {"--port", true, number(&Options::port, 0, 65535)},
        {"--bind", true, text(&Options::bindAddress)},
        {"--piece-size", true, number(&Options::pieceBytes, 1, 1 << 30)},
        {"--delay-ms", true, number(&Options::delayMs, 0, 3600 * 1000)},
        {"--never-answer", false, flag(&Options::neverAnswer)},
        {"--refuse", true,
         [](Options& o, const std::string& v) {
             int status = 0;
             bool ok = ToInt(v, -128, 127, &status);
             o.refusal = status;
             return ok;
         }},
        {"--tone", false, flag(&Options::tone)},
        {"--tone-bytes", true, number(&Options::toneBytes, 0, 1 << 30)},
        {"--voice", true, text(&Options::voice)},
        {"--espeak", true, text(&Options::espeak)},
        {"--text-encoding", true, text(&Options::textEncoding)},
        {"--output-dir", true, text(&Options::outputDir)},
        {"--save-dir", true, text(&Options::saveDir)},
        {"--status-line", true,
         [](Options& o, const std::string& v) {
             o.statusLine = v;
             return true;
         }},
        {"--max-connections", true, number(&Options::maxConnections, 1, 1024)},
        {"--idle-timeout", true, number(&Options::idleSeconds, 1, 86400)},
        {"--quiet", false, flag(&Options::quiet)},
    };
}

ParseResult Error(const std::string& message) {
    return ParseResult{std::nullopt, 2, "vocelink-server: " + message + "\nTry --help.\n"};
}

}  // namespace

ParseResult ParseOptions(int argc, char** argv) {
    Options options;
    std::vector<OptionSpec> specs = Specs();
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            return ParseResult{std::nullopt, 0, kUsage};
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& candidate : specs) {
            if (name == candidate.name) {
                spec = &candidate;
            }
        }
        if (spec == nullptr) {
            return Error("unknown option " + name);
        }
        std::string value;
        if (spec->takesValue) {
            if (i + 1 >= argc) {
                return Error(name + " needs a value");
            }
            value = argv[++i];
        }
        if (!spec->apply(options, value)) {
            return Error("bad value for " + name + ": " + value);
        }
    }
    return ParseResult{options, 0, ""};
}

}  // namespace vocelink_server
