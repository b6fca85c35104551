#include "store/alert_payload.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace mirelo {

namespace {

constexpr std::array<std::string_view, 8> kCapturedKeys = {
    ".href", ".senderName", ".senderJobName", ".message", ".emergencyType", ".inDate", ".senderDeptName", ".ip"};

// UTF-8 characters: a byte that is not a continuation byte starts one (a stray byte counts alone).
bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

std::string_view FirstChars(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsCharacter(text[i]) && seen++ == count) return text.substr(0, i);
    }
    return text;
}

std::string_view LastChars(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (StartsCharacter(text[i]) && ++seen == count) return text.substr(i);
    }
    return text;
}

std::string Captured(const AlertRecord& record, const char* key) {
    const auto found = record.keyValues.find(key);
    return found == record.keyValues.end() ? std::string() : found->second;
}

std::string Formatted(const char* format, auto value) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), format, value);
    return buffer;
}

// Writes every node of the tree to the log in document order (members sorted by name) and
// captures the known string members of the root object. Iterative: the tree's depth is the input's.
class JsonWalk {
public:
    JsonWalk(AlertRecord& record, const AnsiConverter& toAnsi, const AlertLogger& log)
        : record_(record), toAnsi_(toAnsi), log_(log) {}

    void Run(const Json::Value& root) {
        pending_.push_back({&root, ".", 0});
        while (!pending_.empty()) {
            Node node = std::move(pending_.back());
            pending_.pop_back();
            Visit(node);
        }
        if (unlogged_ > 0) log_(Formatted("alert: %zu more nodes not logged\n", unlogged_));
    }

private:
    struct Node {
        const Json::Value* value;
        std::string path;
        int depth;
    };

    void Visit(const Node& node) {
        const Json::Value& value = *node.value;
        switch (value.type()) {
            case Json::nullValue: Log(node.path + "=null\n"); break;
            case Json::intValue:
                Log(node.path + Formatted("=%lld\n", static_cast<long long>(value.asLargestInt())));
                break;
            case Json::uintValue:
                Log(node.path + Formatted("=%llu\n", static_cast<unsigned long long>(value.asLargestUInt())));
                break;
            case Json::realValue: Log(node.path + Formatted("=%.16g\n", value.asDouble())); break;
            case Json::booleanValue: Log(node.path + (value.asBool() ? "=true\n" : "=false\n")); break;
            case Json::stringValue: VisitString(node, value.asString()); break;
            case Json::arrayValue:
                Log(node.path + "=[]\n");
                // Pushed last to first, so that they come off the stack in index order.
                for (Json::ArrayIndex i = value.size(); i-- > 0;) {
                    pending_.push_back({&value[i], node.path + Formatted("[%u]", i), node.depth + 1});
                }
                break;
            case Json::objectValue: {
                Log(node.path + "={}\n");
                std::vector<std::string> names = value.getMemberNames();
                std::sort(names.begin(), names.end());
                const std::string prefix = node.path.ends_with('.') ? node.path : node.path + ".";
                for (auto name = names.rbegin(); name != names.rend(); ++name) {
                    pending_.push_back({&value[*name], prefix + *name, node.depth + 1});
                }
                break;
            }
        }
    }

    void VisitString(const Node& node, const std::string& text) {
        Log("String Value! " + node.path + "=\"" + text + "\"\n");
        // Only members of the root object are captured, whatever their names look like.
        if (node.depth != 1) return;
        if (std::find(kCapturedKeys.begin(), kCapturedKeys.end(), node.path) == kCapturedKeys.end()) return;
        record_.keyValues.emplace(node.path, text);
    }

    void Log(const std::string& line) {
        if (logged_ >= kMaxLoggedAlertNodes) {
            ++unlogged_;
            return;
        }
        ++logged_;
        log_(toAnsi_(line));
    }

    AlertRecord& record_;
    const AnsiConverter& toAnsi_;
    const AlertLogger& log_;
    std::vector<Node> pending_;
    std::size_t logged_ = 0;
    std::size_t unlogged_ = 0;
};

// Parses with the reader's usual leniency (comments allowed and collected) and a bounded depth.
// Whatever was read before a failure stays in root, as the reader builds the tree in place.
void ParseJson(std::string_view text, Json::Value& root, const AlertLogger& log) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowComments"] = true;
    builder["stackLimit"] = kMaxAlertDepth;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            log("alert: not valid JSON\n");
        }
    } catch (const std::exception&) {
        log(Formatted("alert: JSON nested deeper than %d levels, read up to there\n", kMaxAlertDepth));
    }
}

}  // namespace

void ResetAlert(AlertRecord& record) {
    const std::string ip = std::move(record.ip);
    const int forwardCode = record.forwardCode;
    const int linkType = record.linkType;
    record = AlertRecord{};
    record.ip = ip;
    record.forwardCode = forwardCode;
    record.linkType = linkType;
}

std::string_view CutJsonObject(std::string_view text) {
    const std::size_t first = text.find('{');
    if (first == std::string_view::npos) return {};
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return text.substr(first, i - first + 1);
        }
    }
    return {};
}

void SplitAlertTitle(std::string& message, std::string& title) {
    const std::size_t separator = message.find("@#");
    if (separator == std::string::npos) return;
    title = message.substr(0, separator);
    if (title.ends_with(' ')) title.pop_back();
    message.erase(0, separator + 2);
}

std::string FormatAlertDate(std::string_view s) {
    if (s.empty()) return {};
    const auto two = [s](std::size_t last) { return std::string(FirstChars(LastChars(s, last), 2)); };
    return std::string(FirstChars(s, 4)) + "." + two(10) + "." + two(8) + " " + two(6) + ":" + two(4) + ":" + two(2);
}

void ParseAlert(AlertRecord& record, std::string_view payload, const AnsiConverter& toAnsi, const AlertLogger& log) {
    record.keyValues.clear();
    std::string_view object = CutJsonObject(payload);
    if (object.size() > kMaxAlertObjectBytes) {
        log(Formatted("alert: JSON object of %zu bytes is too long, not read\n", object.size()));
        object = {};
    }
    std::string shown = toAnsi(object.substr(0, kMaxLoggedAlertText));
    if (object.size() > kMaxLoggedAlertText) shown += Formatted(" ... (%zu bytes)", object.size());
    log(shown + "\n");

    Json::Value root;
    if (!object.empty()) ParseJson(object, root, log);
    JsonWalk(record, toAnsi, log).Run(root);

    std::string message = Captured(record, ".message");
    std::string title;
    SplitAlertTitle(message, title);
    const std::string senderLine = Captured(record, ".senderDeptName") + " " + Captured(record, ".senderName") + " " +
                                   Captured(record, ".senderJobName");
    record.href = toAnsi(Captured(record, ".href"));
    record.senderName = toAnsi(senderLine);
    record.senderJobName = toAnsi(Captured(record, ".senderJobName"));
    record.senderDeptName = toAnsi(Captured(record, ".senderDeptName"));
    record.message = toAnsi(message);
    record.title = toAnsi(title);
    record.inDate = toAnsi(FormatAlertDate(Captured(record, ".inDate")));
    record.ip = toAnsi(Captured(record, ".ip"));
}

}  // namespace mirelo
