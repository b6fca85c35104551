#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mirelo {

// The registered open command of the suite's document viewer, given the suite's folder.
std::string ViewerOpenCommand(std::string_view suiteFolder);

// The "EditFlags" of the shortcut type mark it safe to open when their third byte is 1. Takes the
// value as read (possibly shorter than four bytes) and tells whether it must be rewritten.
bool ShortcutEditFlagsNeedUpdate(std::string_view valueRead);

// The value written to mark the shortcut type safe to open.
inline constexpr std::array<unsigned char, 4> kShortcutEditFlags = {0x00, 0x00, 0x01, 0x00};

}  // namespace mirelo
