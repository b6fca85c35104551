#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace mirelo {

// Decides whether a byte starts a double-byte character in the ANSI code page.
using LeadByteTest = bool (*)(unsigned char);

// Code page 949: lead bytes are 0x81 to 0xFE.
bool IsCp949LeadByte(unsigned char byte);

// Removes every tag "<...>" whose "<" is followed by neither a blank nor a lead byte; such a "<"
// stays with what follows it up to its ">". A "<" without a closing ">" stays as it is.
std::string RemoveMarkup(std::string_view text, LeadByteTest isLead);

// A text of `limit` bytes or more is cut to the longest prefix of at most limit - 4 bytes that does
// not split a double-byte character, and "..." is appended.
std::string TruncateBytes(std::string_view text, std::size_t limit, LeadByteTest isLead);

// Doubles every "&", so that drawing shows it instead of taking it as a mnemonic.
std::string DoubleAmpersands(std::string_view text);

// Markup removal, truncation and ampersand doubling: how a row value is prepared once per pop-up.
std::string PrepareRowText(std::string_view text, std::size_t limit, LeadByteTest isLead);

// The URL a pop-up opens: "&K=" and the user id are appended unless the URL already has "&K=".
std::string ViewUrl(std::string_view openUrl, std::string_view userId);

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// Where a window of the given size goes in the work area for DisplayPos 0 to 4; nullopt for any
// other value (the window keeps its template position).
std::optional<Point> PlaceInWorkArea(const Rect& workArea, int width, int height, int displayPos);

// The browser window's rectangle: the requested size centred in the work area, each axis shrunk to
// the work area when it does not fit; the whole work area when no size is given.
Rect FitBrowserWindow(const Rect& workArea, int width, int height);

// The pop-up layout numbers are pixels at 96 dots per inch: a DPI-aware program scales them to the
// screen's resolution, rounding half away from zero (the alert's negative label gap too).
inline constexpr int kLayoutDpi = 96;
int ScaleToDpi(int pixels, int dpi);

// Where a row's value starts: the label's width and the gap after the label's left edge. A negative
// gap (an alert's) pulls values to the left only as far as the label's drawn text leaves room, 4 pixels
// after it; the values never start further right than without the gap.
int RowValueLeft(int labelLeft, int labelWidth, int gap, int labelTextWidth);

// The space kept between a label's drawn text and its value.
inline constexpr int kLabelSpacing = 4;

// Text boxes fitted to the font actually selected: a box keeps its described size where the text
// fits it and grows only as far as the text needs.
// A label column: the described width when the widest label's text fits in it; otherwise that text
// and the spacing before the values.
int FitLabelWidth(int describedWidth, int widestLabelText);
// A box's bottom: the described one, or lower when the text drawn from `top` is taller.
int FitBottom(int top, int bottom, int textHeight);
// A row's right edge: a row that reaches down to the buttons (their bounding box, empty when there
// are none) stops before the leftmost of them.
int FitRowRight(int right, int rowBottom, const Rect& buttons);

// Subject rows: the byte limits for the regular and the big font.
inline constexpr std::size_t kBigFontLimit = 32;

}  // namespace mirelo
