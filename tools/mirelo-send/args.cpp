#include "args.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace mirelo_send {
namespace {

const Option* FindOption(const std::vector<Option>& options, std::string_view name) {
    for (const Option& option : options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

ParsedArgs ParseArgs(const Args& args, const std::vector<Option>& options) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        // A lone "-" and words without a leading dash are positional.
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            parsed.positionals.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            return parsed;
        }
        std::string name = word;
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = word.find('='); word.starts_with("--") && equals != std::string::npos) {
            name = word.substr(0, equals);
            inlineValue = word.substr(equals + 1);
        }
        const Option* option = FindOption(options, name);
        if (option == nullptr) {
            parsed.error = "unknown option " + name;
            return parsed;
        }
        Args values;
        if (inlineValue) {
            if (option->valueCount != 1) {
                parsed.error = name + " cannot take its value" + (option->valueCount == 0 ? "" : "s") + " after '='";
                return parsed;
            }
            values.push_back(*inlineValue);
        } else {
            const auto count = static_cast<std::size_t>(option->valueCount);
            if (args.size() - i - 1 < count) {
                parsed.error = name + (count == 1 ? " needs a value" : " needs " + std::to_string(count) + " values");
                return parsed;
            }
            values.assign(args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                          args.begin() + static_cast<std::ptrdiff_t>(i + 1 + count));
            i += count;
        }
        if (std::string problem = option->apply(values); !problem.empty()) {
            parsed.error = name + ": " + problem;
            return parsed;
        }
    }
    return parsed;
}

std::optional<int> ParseInteger(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

Option FlagOption(std::string name, bool* target) {
    return {std::move(name), 0, [target](const Args&) {
                *target = true;
                return std::string();
            }};
}

Option TextOption(std::string name, std::string* target) {
    return {std::move(name), 1, [target](const Args& values) {
                *target = values[0];
                return std::string();
            }};
}

Option TextOption(std::string name, std::optional<std::string>* target) {
    return {std::move(name), 1, [target](const Args& values) {
                *target = values[0];
                return std::string();
            }};
}

Option IntegerOption(std::string name, int* target, int low, int high) {
    return {std::move(name), 1, [target, low, high](const Args& values) {
                const std::optional<int> value = ParseInteger(values[0], low, high);
                if (!value) {
                    return "expects a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                           ", not " + Quoted(values[0]);
                }
                *target = *value;
                return std::string();
            }};
}

Option SecondsOption(std::string name, double* target, double high) {
    return {std::move(name), 1, [target, high](const Args& values) {
                const std::string& text = values[0];
                char* end = nullptr;
                const double value = text.empty() ? -1 : std::strtod(text.c_str(), &end);
                if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > high) {
                    return "expects seconds from 0 to " + std::to_string(static_cast<int>(high)) +
                           " (fractions allowed, e.g. 0.5), not " + Quoted(text);
                }
                *target = value;
                return std::string();
            }};
}

}  // namespace mirelo_send
