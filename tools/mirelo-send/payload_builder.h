#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "args.h"
#include "command.h"
#include "popups/payload_codec.h"

namespace mirelo_send {

// What a payload field holds, and so which options fill it.
enum class FieldRole { KindCode, SubKind, Text, Date, Link, Recipients, Flag };

// One field of a kind's payload, for building and for the help.
struct FieldSpec {
    FieldRole role;
    std::string_view meaning;  // what the client does with it
    std::string_view name;     // Text fields: what it is ("poster"); the others take their role's name
    std::string_view usage;    // Text fields: the option and a placeholder ("--poster P")
    bool required;
};

constexpr FieldSpec RoleField(FieldRole role, std::string_view meaning) { return {role, meaning, {}, {}, false}; }

enum class Need { Optional, Required };

constexpr FieldSpec TextField(std::string_view name, std::string_view usage, std::string_view meaning,
                              Need need = Need::Optional) {
    return {FieldRole::Text, meaning, name, usage, need == Need::Required};
}

// Fields that several kinds describe alike.
inline constexpr FieldSpec kViewLinkField = RoleField(FieldRole::Link, "View (--link-type N, --link-raw HEX)");
inline constexpr FieldSpec kReceiptantField = RoleField(FieldRole::Recipients, "row \"Receiptant:\" with sub-kind 2");
inline constexpr FieldSpec kFlagField = RoleField(FieldRole::Flag, "1 is urgent; --no-flag omits it");

struct PayloadValues;

// What a kind adds to the options every builder has: its own options, the change they make to the
// values before the payload is built (returns a usage error, or an empty text), and their help.
struct KindExtras {
    std::vector<Option> (*options)(PayloadValues* values);
    std::string (*apply)(PayloadValues* values);
    std::string_view help;
};

// A notification kind whose binary payload the tool builds from named options.
struct PayloadKind {
    const Command* command;
    mirelo::PayloadLayout layout;
    std::vector<int> kinds;         // the kinds it is sent as; with more than one, --kind chooses
    std::vector<FieldSpec> fields;  // in payload order
    std::string_view intro;         // the help after the usage line: what the client does with it
    std::string_view examples;      // the end of the help
    const KindExtras* extras = nullptr;
};

extern const PayloadKind kBbsKind;
extern const PayloadKind kMailKind;
extern const PayloadKind kScheduleKind;
extern const PayloadKind kApprovalKind;
extern const PayloadKind kMessageKind;
extern const PayloadKind kNoticeKind;

// What the field is, for messages and the help: its role's name, or a Text field's own name.
std::string_view FieldName(const FieldSpec& spec);

// The kind code text sent unless --kind-code says otherwise: the kind as two digits ("02" for mail).
std::string DefaultKindCode(int kind);

// The kinds as a reader lists them: "4, 5, 6, 7 or 11".
std::string KindList(const PayloadKind& kind);

// What the options say, before it becomes bytes.
struct PayloadValues {
    int kind = 0;                                   // 0: not chosen
    std::vector<std::optional<std::string>> texts;  // the Text fields, by field index
    std::optional<std::string> kindCode;
    int subKind = 1;
    std::optional<std::string> date;  // absent: now
    std::optional<std::string> function;
    std::optional<std::string> url;
    int linkType = -1;                   // -1: not given (type 1)
    std::optional<std::string> linkRaw;  // the link field's bytes
    std::optional<std::string> recipients;
    bool urgent = false;
    int flag = -1;  // -1: not given
    bool noFlag = false;
    bool cp949 = false;
    std::map<int, std::string> overrides;  // raw field bytes by index
    // The animated notifier of a notice: flag bit 1 and the lines of its description.
    bool animated = false;
    std::optional<std::string> header;
    std::optional<std::string> icon;
    std::array<std::optional<std::string>, 4> notifierRows;
};

// The options of a kind, writing to *values (whose texts must have one slot per field).
std::vector<Option> PayloadOptions(const PayloadKind& kind, PayloadValues* values);

struct BuiltPayload {
    std::string bytes;
    std::string error;  // a usage error; bytes are empty then
};

BuiltPayload BuildPayload(const PayloadKind& kind, const PayloadValues& values);

// The local time as the server writes dates: "YYYY-MM-DD HH:MM".
std::string CurrentDate();

// The help of a builder command: its usage line, intro, the table of its fields, the options every
// builder has, framing and transport, then its examples.
std::string PayloadCommandHelp(const PayloadKind& kind);

// Parses, builds, frames and sends (or prints) one notification of the kind.
int RunPayloadCommand(const PayloadKind& kind, const Args& args, Context& context);

// The help and run functions of a kind's Command.
template <const PayloadKind& kind>
std::string PayloadHelp() {
    return PayloadCommandHelp(kind);
}

template <const PayloadKind& kind>
int RunPayload(const Args& args, Context& context) {
    return RunPayloadCommand(kind, args, context);
}

}  // namespace mirelo_send
