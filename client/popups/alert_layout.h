#pragma once

#include <array>
#include <cstddef>

#include "core/settings.h"

namespace mirelo {

// The alert pop-up's skin: the background bitmap's size, which the window takes.
inline constexpr int kAlertSkinWidth = 315;
inline constexpr int kAlertSkinHeight = 158;
// Template 213 in dialog units: the skin stands for this much of the template.
inline constexpr int kAlertTemplateWidth = 179;
inline constexpr int kAlertTemplateHeight = 96;
// Row values of the title and sender rows are cut to this many bytes (less 4, plus "...").
inline constexpr std::size_t kAlertRowLimit = 43;
inline constexpr int kAlertRowCount = 3;

// Where the alert pop-up draws its texts, in client pixels.
struct AlertLayout {
    Rect header;  // empty when the alert has no title
    std::array<Rect, kAlertRowCount> labels;
    std::array<Rect, kAlertRowCount> values;
};

// The header line and the three rows ("Title:", "Sender:", "Date:"). Labels run from x = 20 to 75
// (further when the widest label's text needs it, FitLabelWidth) and values from the labels' end +
// labelGap, but not inside the widest label's text (RowValueLeft); rows start 20 pixels below the
// usual row top with a header and 10 without.
AlertLayout LayoutAlert(int windowWidth, bool hasHeader, int labelGap, int widestLabelText);

// A button's rectangle on the skin: its template position scaled from dialog units to the skin,
// with the size of its face bitmap. The skin's drawing script cuts the faces at these places.
Rect SkinButtonRect(int templateX, int templateY, int faceWidth, int faceHeight);

}  // namespace mirelo
