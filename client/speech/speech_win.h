#pragma once

#include <string>

namespace mirelo {

// Speaks a sentence on the speech worker: asks the speech server for its audio through vocelink and
// plays it from memory. At most a few sentences are in progress at once (one speaking, a few
// waiting, in order); further ones are dropped with a log line. Never blocks the caller.
void SpeakNotification(std::string sentence);

// Runs one request on the calling thread: 1 when the audio arrived complete, 0 or a negative vocelink
// code otherwise, -1 when vocelink or one of its two functions could not be found.
int SpeakText(const std::string& libraryDir, const std::string& text);

}  // namespace mirelo
