#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelo {

class ClientSettings;

inline constexpr char kAppExitArgument[] = "APPEXIT";
inline constexpr char kLinkScheme[] = "qsnotifyclient://";
inline constexpr char kShortcutExtension[] = ".xnf";
inline constexpr std::size_t kShortcutReadLimit = 260;
inline constexpr std::size_t kPathLimit = 259;
inline constexpr int kPayloadFieldCount = 18;

// One payload field that start-up assigned: its number (1-based) and the value as delivered.
struct AppliedField {
    int number = 0;
    std::string value;
};

// Copies the characters from `position` up to the next ','. Delivers them only when a ',' follows
// and the value is not empty; then `position` moves past the ','. Otherwise nothing is delivered
// and `position` stays, so every later value is missing too.
std::optional<std::string> NextPayloadValue(std::string_view text, std::size_t& position);

// The part after "</HEAD>" (tried first) or "</head>"; the whole text when neither is present.
std::string_view CutAfterHeadTag(std::string_view payload);

// Reads the 18 fields in order into the settings; each field is assigned only when delivered.
// LevelDigit is set to 1 first. Returns the assigned fields in order.
std::vector<AppliedField> ApplyStartupPayload(std::string_view payload, ClientSettings& settings);

// The store file's name in the program folder for a user key.
std::string StoreFileName(std::string_view userKey);
// The history file beside it: "<UserKey>_history.xml".
std::string HistoryFileName(std::string_view userKey);
// The history's archive of a day (date as YYYYMMDD): "<UserKey>_history-<date>.xml" for attempt 1,
// "<UserKey>_history-<date>-<attempt>.xml" after it.
std::string HistoryArchiveName(std::string_view userKey, std::string_view date, int attempt);

// "APPEXIT" anywhere in the command line (case-sensitive).
bool HasAppExit(std::string_view commandLine);

// The command-line argument as a path: the text inside leading double quotes when it starts with
// one, otherwise its first 259 characters.
std::string CommandLinePath(std::string_view commandLine);

// True when the command line names a shortcut file: it contains ".xnf" and its path ends with it. The
// file is read and deleted, so no other file may be taken for one (the command line is the link's too).
bool NamesShortcutFile(std::string_view commandLine);

// True when a path ends with the shortcut extension (any case).
bool IsShortcutPath(std::string_view path);

// The payload of a link: the command line without its surrounding quotes and without the scheme.
std::string LinkPayload(std::string_view commandLine);

// The payload of a shortcut file from the bytes read (at most 260): fewer than 5 give nothing.
std::string ShortcutPayload(std::string_view bytesRead);

}  // namespace mirelo
