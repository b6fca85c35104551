#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelo_send {

using Args = std::vector<std::string>;

// One option of a command: its name with the dashes, how many words follow it, and what to do with
// them. apply returns an empty text when it accepts the values, else what is wrong with them.
struct Option {
    std::string name;
    int valueCount = 0;
    std::function<std::string(const Args& values)> apply;
};

struct ParsedArgs {
    bool help = false;  // --help or -h was given: nothing else is looked at
    Args positionals;
    std::string error;  // empty when every word was understood
};

// Reads "--name value", "--name=value" (one value only) and "--flag" words against the table; other
// words are positional, and so is every word after "--".
ParsedArgs ParseArgs(const Args& args, const std::vector<Option>& options);

// A decimal whole number from low to high, nothing else around it.
std::optional<int> ParseInteger(std::string_view text, int low, int high);

// Options of the common shapes, writing to a variable of the caller.
Option FlagOption(std::string name, bool* target);
Option TextOption(std::string name, std::string* target);
Option TextOption(std::string name, std::optional<std::string>* target);
Option IntegerOption(std::string name, int* target, int low, int high);
Option SecondsOption(std::string name, double* target, double high);  // from 0, fractions allowed

}  // namespace mirelo_send
