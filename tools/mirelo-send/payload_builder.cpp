#include "payload_builder.h"

#include <climits>
#include <cstdio>
#include <ctime>

#include "bytes.h"
#include "framing_options.h"
#include "text_encoding.h"
#include "transport.h"

namespace mirelo_send {
namespace {

constexpr std::size_t kShortFieldMax = 255;
constexpr std::size_t kLongFieldMax = 65535;
constexpr int kDefaultLinkType = 1;

// One field on its way to the payload: its bytes and the option they came from, for messages.
struct FieldBytes {
    std::string bytes;
    std::string source;
};

std::string OptionName(std::string_view usage) { return std::string(usage.substr(0, usage.find(' '))); }

// The UTF-8 text in code page 949; on failure says why in *error.
std::optional<std::string> ToCodePage949(std::string_view utf8, std::string* error) {
    EncodeFailure failure;
    std::optional<std::string> bytes = EncodeExactly(utf8, "CP949", &failure);
    if (bytes) return bytes;
    *error = failure.notUtf8 ? "is not UTF-8, so --cp949 cannot convert it (--field sends raw bytes)"
                             : "has a character that code page 949 lacks (" + failure.codePoint + ")";
    return std::nullopt;
}

std::string FlagText(const PayloadValues& values) {
    if (values.noFlag) return {};
    if (values.urgent) return "1";
    return std::to_string(values.flag < 0 ? 0 : values.flag);
}

// Combinations the option table cannot check. Empty when all is well.
std::string CheckValues(const PayloadKind& kind, const PayloadValues& values) {
    if (values.kind == 0) return "--kind is required: " + KindList(kind);
    if (values.urgent + (values.flag >= 0) + values.noFlag > 1) {
        return "--urgent, --flag and --no-flag exclude each other";
    }
    if (values.function.has_value() != values.url.has_value()) {
        return "--function and --url go together (the client drops a function name without a URL; --url '' "
               "sends an empty one)";
    }
    if (values.linkType >= 0 && !values.function) return "--link-type needs --function and --url";
    if (values.linkRaw && (values.function || values.linkType >= 0)) {
        return "--link-raw gives the whole link field: drop --function, --url and --link-type";
    }
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        const FieldSpec& spec = kind.fields[i];
        if (spec.required && !values.texts[i] && !values.overrides.contains(static_cast<int>(i))) {
            return OptionName(spec.usage) + " is required (the " + std::string(spec.name) + "; '' for an empty field)";
        }
    }
    return {};
}

// The field's text as the options give it, before any conversion.
FieldBytes FieldText(const FieldSpec& spec, std::size_t index, const PayloadValues& values) {
    switch (spec.role) {
        case FieldRole::KindCode: return {values.kindCode.value_or(DefaultKindCode(values.kind)), "--kind-code"};
        case FieldRole::SubKind: return {std::to_string(values.subKind), "--sub-kind"};
        case FieldRole::Date: return {values.date ? *values.date : CurrentDate(), "--date"};
        case FieldRole::Recipients: return {values.recipients.value_or(""), "--recipients"};
        case FieldRole::Flag: return {FlagText(values), "the flag options"};
        case FieldRole::Link: return {};
        case FieldRole::Text: break;
    }
    return {values.texts[index].value_or(""), OptionName(spec.usage)};
}

// The text in the encoding the options ask for.
std::optional<std::string> Encoded(const std::string& text, const std::string& source, const PayloadValues& values,
                                   std::string* error) {
    if (!values.cp949) return text;
    std::optional<std::string> converted = ToCodePage949(text, error);
    if (!converted) *error = source + " '" + text + "' " + *error;
    return converted;
}

std::optional<FieldBytes> LinkBytes(const PayloadValues& values, std::string* error) {
    if (values.linkRaw) return FieldBytes{*values.linkRaw, "--link-raw"};
    if (!values.function) return FieldBytes{};
    const std::optional<std::string> function = Encoded(*values.function, "--function", values, error);
    const std::optional<std::string> url = function ? Encoded(*values.url, "--url", values, error) : std::nullopt;
    if (!url) return std::nullopt;
    const int type = values.linkType < 0 ? kDefaultLinkType : values.linkType;
    if (std::optional<std::string> link = mirelo::BuildLinkField(type, *function, *url)) {
        return FieldBytes{*link, "--function and --url"};
    }
    *error = "--function is " + std::to_string(function->size()) +
             " bytes; the link holds a function name of at most " + std::to_string(kShortFieldMax);
    return std::nullopt;
}

std::string SizeError(const FieldBytes& field, std::size_t index, const FieldSpec& spec, std::size_t limit,
                      bool cp949) {
    return field.source + ": " + std::to_string(field.bytes.size()) + " bytes" + (cp949 ? " in code page 949" : "") +
           " is too long for field " + std::to_string(index) + " (" + std::string(FieldName(spec)) +
           "), which holds at most " + std::to_string(limit) + " bytes";
}

}  // namespace

std::string_view FieldName(const FieldSpec& spec) {
    switch (spec.role) {
        case FieldRole::KindCode: return "kind code";
        case FieldRole::SubKind: return "sub-kind";
        case FieldRole::Date: return "date";
        case FieldRole::Link: return "link";
        case FieldRole::Recipients: return "recipients";
        case FieldRole::Flag: return "flag";
        case FieldRole::Text: break;
    }
    return spec.name;
}

std::string DefaultKindCode(int kind) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", kind);
    return text;
}

std::string KindList(const PayloadKind& kind) {
    std::string list;
    for (std::size_t i = 0; i < kind.kinds.size(); ++i) {
        if (i > 0) list += i + 1 == kind.kinds.size() ? " or " : ", ";
        list += std::to_string(kind.kinds[i]);
    }
    return list;
}

std::vector<Option> PayloadOptions(const PayloadKind& kind, PayloadValues* values) {
    std::vector<Option> options;
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        if (kind.fields[i].role == FieldRole::Text) {
            options.push_back(TextOption(OptionName(kind.fields[i].usage), &values->texts[i]));
        }
    }
    if (kind.kinds.size() > 1) {
        options.push_back({"--kind", 1, [&kind, values](const Args& words) {
                               values->kind = 0;
                               for (int number : kind.kinds) {
                                   if (std::to_string(number) == words[0]) values->kind = number;
                               }
                               return values->kind != 0 ? std::string()
                                                        : "expects " + KindList(kind) + ", not '" + words[0] + "'";
                           }});
    }
    options.push_back(TextOption("--kind-code", &values->kindCode));
    options.push_back(IntegerOption("--sub-kind", &values->subKind, 0, INT_MAX));
    options.push_back(TextOption("--date", &values->date));
    options.push_back(TextOption("--function", &values->function));
    options.push_back(TextOption("--url", &values->url));
    options.push_back(IntegerOption("--link-type", &values->linkType, 0, 999));
    options.push_back({"--link-raw", 1, [values](const Args& words) {
                           values->linkRaw = FromHex(words[0]);
                           return values->linkRaw ? std::string() : "'" + words[0] + "' is not pairs of hex digits";
                       }});
    options.push_back(TextOption("--recipients", &values->recipients));
    options.push_back(FlagOption("--urgent", &values->urgent));
    options.push_back(IntegerOption("--flag", &values->flag, 0, INT_MAX));
    options.push_back(FlagOption("--no-flag", &values->noFlag));
    options.push_back(FlagOption("--cp949", &values->cp949));
    if (kind.extras != nullptr) {
        for (Option& option : kind.extras->options(values)) options.push_back(std::move(option));
    }
    const int count = kind.layout.fieldCount;
    options.push_back({"--field", 1, [count, values](const Args& words) {
                           const std::size_t equals = words[0].find('=');
                           const std::optional<int> index =
                               ParseInteger(std::string_view(words[0]).substr(0, equals), 0, count - 1);
                           if (equals == std::string::npos || !index) {
                               return "expects INDEX=TEXT with INDEX from 0 to " + std::to_string(count - 1) +
                                      ", not '" + words[0] + "'";
                           }
                           std::string error;
                           const std::optional<std::string> bytes = DecodeEscapes(words[0].substr(equals + 1), &error);
                           if (!bytes) return "in '" + words[0] + "': " + error;
                           values->overrides[*index] = *bytes;
                           return std::string();
                       }});
    return options;
}

BuiltPayload BuildPayload(const PayloadKind& kind, const PayloadValues& given) {
    PayloadValues values = given;
    if (kind.extras != nullptr) {
        if (std::string problem = kind.extras->apply(&values); !problem.empty()) return {{}, problem};
    }
    if (std::string problem = CheckValues(kind, values); !problem.empty()) return {{}, problem};
    std::string error;
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < kind.fields.size(); ++i) {
        const FieldSpec& spec = kind.fields[i];
        std::optional<FieldBytes> field;
        if (const auto raw = values.overrides.find(static_cast<int>(i)); raw != values.overrides.end()) {
            field = FieldBytes{raw->second, "--field " + std::to_string(i)};
        } else if (spec.role == FieldRole::Link) {
            field = LinkBytes(values, &error);
        } else {
            field = FieldText(spec, i, values);
            if (std::optional<std::string> bytes = Encoded(field->bytes, field->source, values, &error)) {
                field->bytes = *bytes;
            } else {
                field.reset();
            }
        }
        if (!field) return {{}, error};
        const std::size_t limit = kind.layout.HasLongLength(static_cast<int>(i)) ? kLongFieldMax : kShortFieldMax;
        if (field->bytes.size() > limit) return {{}, SizeError(*field, i, spec, limit, values.cp949)};
        fields.push_back(field->bytes);
    }
    return {*mirelo::EncodePayload(fields, kind.layout), {}};
}

std::string CurrentDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

int RunPayloadCommand(const PayloadKind& kind, const Args& args, Context& context) {
    PayloadValues values;
    values.kind = kind.kinds.size() == 1 ? kind.kinds[0] : 0;
    values.texts.resize(kind.fields.size());
    FramingOptions framing;
    TransportOptions transport;
    std::vector<Option> options = PayloadOptions(kind, &values);
    AddFramingOptions(options, &framing);
    int exitCode = kExitOk;
    if (!ParseSendingArgs(*kind.command, args, options, &transport, nullptr, context, &exitCode)) return exitCode;
    const BuiltPayload payload = BuildPayload(kind, values);
    if (!payload.error.empty()) return UsageError(context, *kind.command, payload.error);
    const FramedMessage message = FrameMessage(values.kind, payload.bytes, framing);
    if (!message.error.empty()) return UsageError(context, *kind.command, message.error);
    return SendMessage(message.bytes, transport, context);
}

}  // namespace mirelo_send
