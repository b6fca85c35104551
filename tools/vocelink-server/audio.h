#pragma once

// The audio the server answers with: a generated tone, or speech from the espeak-ng program.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vocelink_server {

using Bytes = std::vector<std::uint8_t>;

// A RIFF/WAVE image of a 440 Hz tone, 16-bit mono at 16 kHz, with dataBytes of samples (rounded down
// to whole samples).
Bytes ToneWav(int dataBytes);

// The full path of a program given by name (searched on the PATH) or by path; empty when it cannot be
// run.
std::string FindProgram(const std::string& program);

struct Speech {
    bool ok = false;
    Bytes wav;
    std::string error;
};

// Runs espeak-ng on a UTF-8 text and returns the WAV image it wrote.
Speech SpeakWithEspeak(const std::string& program, const std::string& voice, std::string_view utf8Text);

// The text as UTF-8: unchanged when it already is valid UTF-8, else converted from `encoding` (bytes
// that do not convert become '?').
std::string ToUtf8(std::string_view text, const std::string& encoding);

// True when the UTF-8 text holds a Hangul syllable or letter.
bool HasHangul(std::string_view utf8Text);

}  // namespace vocelink_server
