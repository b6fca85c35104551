#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace mirelo {

// The JSON object an alert may hold, at most; a longer one is not read (the pop-up shows empty).
inline constexpr std::size_t kMaxAlertObjectBytes = 64 * 1024;
// How deep the parser may nest; deeper input stops the parse where it got to.
inline constexpr int kMaxAlertDepth = 64;
// How many nodes of one alert are written to the log; the walk goes on past them unlogged.
inline constexpr std::size_t kMaxLoggedAlertNodes = 1000;
// How much of the alert's JSON text is written to the log.
inline constexpr std::size_t kMaxLoggedAlertText = 1024;

// The decoded alert (kind 20), reused for every alert of a receiving socket.
struct AlertRecord {
    // Captured top-level string members by path (".href", ...), as received (UTF-8).
    std::map<std::string, std::string> keyValues;
    // The fields the pop-up shows, in the ANSI code page.
    std::string inDate;
    std::string message;
    std::string title;
    std::string senderName;  // the sender line "department name job" after ParseAlert
    std::string senderJobName;
    std::string senderDeptName;
    std::string ip;
    std::string href;
    std::array<std::string, 6> spare;  // never filled; the pop-up holds them as empty texts
    int forwardCode = 0;               // the pop-up's sub-kind and the code handed to local applications
    int linkType = 0;
};

// Empties keyValues and every text field except ip.
void ResetAlert(AlertRecord& record);

// Converts a UTF-8 text to the ANSI code page.
using AnsiConverter = std::function<std::string(std::string_view)>;
// Receives one log line (ANSI, with its line end).
using AlertLogger = std::function<void(const std::string&)>;

// Reads an alert payload (UTF-8 JSON) into the record: cuts the first object out, parses it, logs
// every node, captures the known top-level strings, splits the title, builds the sender line and
// reformats the date. Any input gives a defined record; what cannot be read stays empty.
void ParseAlert(AlertRecord& record, std::string_view payload, const AnsiConverter& toAnsi, const AlertLogger& log);

// The first JSON object of a text: from the first "{" to the brace that closes it, braces inside
// strings not counted. Empty when the text has no "{" or the object never closes.
std::string_view CutJsonObject(std::string_view text);

// Splits "title@#message" at the first "@#"; a blank just before the separator is dropped. Without a
// separator the message stays whole and the title empty.
void SplitAlertTitle(std::string& message, std::string& title);

// "yyyymmddhhmmss" as "yyyy.mm.dd hh:mm:ss", each part taken by character from the text's start
// (the year) or end (the rest), so a shorter text still gives a defined value; no date stays empty.
std::string FormatAlertDate(std::string_view received);

}  // namespace mirelo
