#pragma once

#include <string>
#include <string_view>

#include "core/string_table.h"
#include "popups/popup_text.h"

namespace mirelo {

// Where the speech server's address and port are found: the suite's shared settings file, whose
// folder the suite's installer records in the registry.
inline constexpr char kSuiteRegistryKey[] = "SOFTWARE\\Corvane\\Quillon Groupware 6.5";
inline constexpr char kSuiteFolderValue[] = "TesselDir32";
inline constexpr char kSpeechSection[] = "TTS";
inline constexpr int kDefaultSpeechPort = 7000;
// The address used when the settings file names none: a speech server on this machine.
inline constexpr char kDefaultSpeechAddress[] = "127.0.0.1";
inline constexpr char kVocelinkFile[] = "vocelink.dll";

// The sentence spoken for a notification: mail names the sender's first word and the subject,
// approvals (kinds 4 to 7) add the document-kind and action texts, schedules, messages and notices
// (3, 8, 9, 10) name the subject; every other kind has an empty sentence.
std::string SpeechSentence(int kind, std::string_view sender, std::string_view subject,
                           std::string_view documentKindText, std::string_view actionText, const TextLoader& loadText);

// vocelink in the given folder: no backslash is doubled, and an empty folder gives the bare name.
// A folder's last byte 0x5C ends it with a backslash only when it is not the trail byte of a
// double-byte character ("表" is 0x95 0x5C in code page 932).
std::string VocelinkPath(std::string_view libraryDir, LeadByteTest isLead);

// The suite's settings file below its folder as the registry gives it (the folder ends in a
// backslash there). "" when the registry names no folder: the defaults hold then.
std::string SuiteSettingsPath(std::string_view suiteDir);

// The port the settings file gives, or the default when it is not a TCP port.
int SpeechPort(long long configured);

// True when the audio is a RIFF/WAVE image whose chunks all lie within its bytes and that has a
// format and a data chunk. The player reads an in-memory image by its own chunk sizes, so an image
// from the server is checked before it is played.
bool IsCompleteWave(std::string_view audio);

}  // namespace mirelo
