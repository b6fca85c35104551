#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mirelo {

// One section of an INI file as GetPrivateProfileSection gives it ("key=value" entries, each ended
// by a zero), looked up as GetPrivateProfileString would: keys match without regard to ASCII case,
// the first of equal keys counts, and a value in matching quotes loses them.
class ProfileSection {
public:
    explicit ProfileSection(std::string_view entries);

    // The value of the key cut to `bufferSize` - 1 characters; nothing when the key is not there.
    std::optional<std::string> Find(std::string_view key, std::size_t bufferSize) const;

private:
    std::map<std::string, std::string> values_;  // by lower-cased key
};

}  // namespace mirelo
