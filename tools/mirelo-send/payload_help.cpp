#include <cstdio>

#include "framing_options.h"
#include "payload_builder.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kFieldsIntro =
    "Payload fields, in this order (each a one-byte length and that many bytes, no terminator; the link\n"
    "field has a two-byte length, high byte first):\n";

constexpr std::string_view kBuilderHelp =
    "Options of every payload builder (a text not given is an empty field, length 0):\n"
    "  --kind-code TEXT      field 0 as given (default: the kind as two digits)\n"
    "  --sub-kind N          the sub-kind number (default 1); 2 adds the recipients row\n"
    "  --date D              the date text (default: now, \"YYYY-MM-DD HH:MM\" in local time; '' for none)\n"
    "  --function F --url U  the link: the JavaScript function name and the page View opens (the client\n"
    "                        appends \"&K=\" and the user id unless the URL holds \"&K=\"); without them\n"
    "                        the link field is empty and View is hidden\n"
    "  --link-type N         the link's type number, 0 to 999, sent as three digits (default 1)\n"
    "  --recipients R        the recipients text, shown with --sub-kind 2\n"
    "  --urgent              flag \"1\": urgent (the default flag is \"0\": not urgent)\n"
    "  --flag N              flag as the number N: bit 0 is urgent, and only exactly 1 shows the urgent label\n"
    "  --no-flag             a flag field of length 0: the client keeps the previous notification's flag\n"
    "  --cp949               every text in code page 949 instead of UTF-8 (values are read as UTF-8). The\n"
    "                        client converts payload texts from UTF-8 when its LevelDigit is 1 (the\n"
    "                        default); 0 keeps the bytes; 2 to 9 convert what survives the round trip\n"
    "Raw bytes, for tests of bad input (nothing converted):\n"
    "  --field I=TEXT        field I holds the bytes of TEXT, escapes \\0 \\\\ \\n \\r \\t \\xHH decoded;\n"
    "                        repeat it for several fields; it wins over every other option. A blank\n"
    "                        flag (--field I=' ' with the flag's index) counts as urgent\n"
    "  --link-raw HEX        the link field's bytes as hex digits (\"30303100\": type 001, no function)\n"
    "A field holds at most 255 bytes and the link field 65,535; a longer value is refused (exit code 2).\n";

struct Column {
    std::string usage;
    std::string defaultText;
};

Column RoleColumn(const PayloadKind& kind, const FieldSpec& spec) {
    const std::string code = kind.kinds.size() == 1 ? " (default \"" + DefaultKindCode(kind.kinds.front()) + "\")"
                                                    : " (default: the kind as two digits)";
    switch (spec.role) {
        case FieldRole::KindCode: return {"--kind-code TEXT", code};
        case FieldRole::SubKind: return {"--sub-kind N", " (default 1)"};
        case FieldRole::Date: return {"--date D", " (default: now)"};
        case FieldRole::Link: return {"--function F --url U", ""};
        case FieldRole::Recipients: return {"--recipients R", ""};
        case FieldRole::Flag: return {"--urgent | --flag N", " (default \"0\")"};
        case FieldRole::Text: break;
    }
    return {std::string(spec.usage), spec.required ? " (required)" : ""};
}

std::string FieldTable(const PayloadKind& kind) {
    std::string table(kFieldsIntro);
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        const FieldSpec& spec = kind.fields[i];
        const Column column = RoleColumn(kind, spec);
        char row[128];
        std::snprintf(row, sizeof row, "  %2zu  %-13s %-21s ", i, std::string(FieldName(spec)).c_str(),
                      column.usage.c_str());
        table += row + std::string(spec.meaning) + column.defaultText + "\n";
    }
    return table;
}

}  // namespace

std::string PayloadCommandHelp(const PayloadKind& kind) {
    return "Usage: mirelo-send " + std::string(kind.command->synopsis) + "\n" + std::string(kind.intro) + "\n" +
           FieldTable(kind) + "\n" + std::string(kind.extras != nullptr ? kind.extras->help : "") +
           std::string(kBuilderHelp) + "\n" + FramingHelp() + "\n" + std::string(TransportHelp()) + "\nExamples:\n" +
           std::string(kind.examples);
}

}  // namespace mirelo_send
