#include "core/startup_payload.h"

#include "core/settings.h"
#include "core/text.h"

namespace mirelo {

namespace {

constexpr std::size_t kMinimumShortcutBytes = 5;

bool StartsWithDigit(const std::string& value) { return !value.empty() && value[0] >= '0' && value[0] <= '9'; }

// Characters that cannot stand in a Windows file name are replaced, so a key can never point the
// store outside the program folder.
std::string FileNameSafe(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) c = '_';
    }
    return safe;
}

void AssignField(int number, const std::string& value, ClientSettings& s) {
    switch (number) {
        case 1: s.IPAddress = value; break;
        case 2: s.SendPort = ParseInt(value); break;
        case 3: s.BrowserTitle = value; break;
        case 4: s.ListenPort = ParseInt(value); break;
        case 5: s.UserID = value; break;
        case 6: s.AutoKill = IsTrueFlag(value); break;
        case 7: s.Reflesh = IsTrueFlag(value); break;
        case 8: s.NotifyLogOutType = ParseInt(value); break;
        case 9: s.UserKey = value; break;
        case 10: s.ServerUrl = value; break;
        case 11: s.SpeakNotifications = value == "1"; break;
        case 12: s.ListenMode = IsTrueFlag(value); break;
        case 14: s.UseView = IsTrueFlag(value); break;
        case 17:
            if (StartsWithDigit(value)) s.LevelDigit = value[0] - '0';
            break;
        case 18: s.RefreshUrl = value; break;
        default: break;  // fields 13, 15 and 16 are read and ignored
    }
}

}  // namespace

std::optional<std::string> NextPayloadValue(std::string_view text, std::size_t& position) {
    if (position >= text.size()) return std::nullopt;
    const auto comma = text.find(',', position);
    if (comma == std::string_view::npos || comma == position) return std::nullopt;
    std::string value(text.substr(position, comma - position));
    position = comma + 1;
    return value;
}

std::string_view CutAfterHeadTag(std::string_view payload) {
    for (std::string_view tag : {std::string_view("</HEAD>"), std::string_view("</head>")}) {
        const auto hit = payload.find(tag);
        if (hit != std::string_view::npos) return payload.substr(hit + tag.size());
    }
    return payload;
}

std::vector<AppliedField> ApplyStartupPayload(std::string_view payload, ClientSettings& settings) {
    const std::string_view text = CutAfterHeadTag(payload);
    settings.LevelDigit = 1;
    std::vector<AppliedField> applied;
    std::size_t position = 0;
    for (int number = 1; number <= kPayloadFieldCount; ++number) {
        const auto value = NextPayloadValue(text, position);
        if (!value) break;  // a missing value leaves every later field missing too
        AssignField(number, *value, settings);
        applied.push_back({number, *value});
    }
    return applied;
}

std::string StoreFileName(std::string_view userKey) {
    if (userKey.empty()) return "alerts.xml";
    return FileNameSafe(userKey) + "_alerts.xml";
}

std::string HistoryFileName(std::string_view userKey) {
    return userKey.empty() ? "history.xml" : FileNameSafe(userKey) + "_history.xml";
}

std::string HistoryArchiveName(std::string_view userKey, std::string_view date, int attempt) {
    std::string name = HistoryFileName(userKey);
    name.resize(name.size() - 4);  // ".xml"
    name += '-';
    name += FileNameSafe(date);
    if (attempt > 1) {
        name += '-';
        name += std::to_string(attempt);
    }
    name += ".xml";
    return name;
}

bool HasAppExit(std::string_view commandLine) { return commandLine.find(kAppExitArgument) != std::string_view::npos; }

std::string CommandLinePath(std::string_view commandLine) {
    if (!commandLine.empty() && commandLine.front() == '"') {
        const auto inner = commandLine.substr(1);
        return std::string(inner.substr(0, inner.find('"')));
    }
    return std::string(commandLine.substr(0, kPathLimit));
}

bool NamesShortcutFile(std::string_view commandLine) {
    return commandLine.find(kShortcutExtension) != std::string_view::npos &&
           IsShortcutPath(CommandLinePath(commandLine));
}

bool IsShortcutPath(std::string_view path) { return EndsWithNoCase(path, kShortcutExtension); }

std::string LinkPayload(std::string_view commandLine) {
    std::string_view text = commandLine;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return ReplaceAll(text, kLinkScheme, "");
}

std::string ShortcutPayload(std::string_view bytesRead) {
    if (bytesRead.size() < kMinimumShortcutBytes) return {};
    return std::string(bytesRead.substr(0, kShortcutReadLimit));
}

}  // namespace mirelo
