#pragma once

#include <optional>
#include <string>

namespace vocelink_server {

struct Options {
    std::string bindAddress = "127.0.0.1";
    int port = 7000;             // 0: any free port, printed on stdout
    int pieceBytes = 16384;      // audio bytes per reply when the client allows several pieces
    int delayMs = 0;             // wait before every answer
    bool neverAnswer = false;    // read requests, answer nothing
    std::optional<int> refusal;  // answer every request with this status and no audio
    bool tone = false;           // a generated tone instead of a voice
    int toneBytes = 32000;       // audio bytes of the tone (one second)
    std::string voice;           // espeak-ng voice; empty: chosen by the text
    std::string espeak = "espeak-ng";
    std::string outputDir;                  // where file and effect requests write; empty: nowhere
    std::string saveDir;                    // where buffer requests' texts and audio are kept; empty: nowhere
    std::optional<std::string> statusLine;  // answer to the status query, without its newline
    std::string textEncoding = "CP949";     // of texts that are not UTF-8
    int maxConnections = 16;
    int idleSeconds = 60;  // a connection that sends nothing for this long is dropped
    bool quiet = false;
};

struct ParseResult {
    std::optional<Options> options;  // nothing when the program should exit
    int exitCode = 0;
    std::string message;  // help text (exit 0) or the error (exit 2)
};

ParseResult ParseOptions(int argc, char** argv);

}  // namespace vocelink_server
