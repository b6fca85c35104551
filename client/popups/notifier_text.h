#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "popups/popup_text.h"

namespace mirelo {

// What the animated notifier shows, as the notice describes it line by line ("HEADER:", "ICON:",
// "TEXT1:" to "TEXT4:").
struct NotifierFields {
    std::string header;
    std::string icon;
    std::array<std::string, 4> rows{" ", " ", " ", " "};
};

// Reads the notice text followed directly by the sender field (a long description continues there).
// Lines end at "\n" ("\r" stays in the value); empty lines, lines with another key and values that
// are exactly "null" are ignored; a later line wins over an earlier one with the same key.
NotifierFields ParseNotifierText(std::string_view noticeText, std::string_view sender);

// The notice text a server writes for the notifier: one "KEY:value\n" line per value given. The
// final "\n" keeps the sender, which follows the text, off the last line.
std::string BuildNotifierText(std::string_view header, std::string_view icon, const std::array<std::string, 4>& rows);

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Colour, clip rectangle and clip file by the ICON value. The three other families' clips are
// known by name (any case); anything else has the bulletin-board colour and rectangle. The clip is
// opened from the program folder, so only a plain file name is taken; any other value, and none,
// plays "bbsavi.avi".
struct NotifierLook {
    Rgb background;
    Rect clip;
    std::string clipName;
};

inline constexpr std::string_view kDefaultNotifierClip = "bbsavi.avi";

NotifierLook NotifierLookOf(std::string_view icon, LeadByteTest isLead);

// A name without a folder, a drive or a parent reference: no "\", "/" or ":", no control
// character, not "." or ".." and not empty. Trail bytes of double-byte characters are skipped.
bool IsPlainFileName(std::string_view name, LeadByteTest isLead);

// Row 0 loses its markup, is cut at 43 bytes to 39 plus "..." and gets its "&" doubled.
inline constexpr std::size_t kNotifierRowLimit = 43;

}  // namespace mirelo
