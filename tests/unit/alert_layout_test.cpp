#include "popups/alert_layout.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(AlertLayout, RowsWithAndWithoutHeader) {
    const struct {
        bool header;
        int gap;
        int widestLabel;
        int firstRowTop;
        int labelRight;
        int valueLeft;
    } cases[] = {
        {true, 1, 30, 75, 75, 76},     // the family's usual gap
        {true, -13, 30, 75, 75, 62},   // after an alert: values 13 pixels further left
        {false, -13, 30, 65, 75, 62},  // no title: rows 10 pixels higher
        {true, -13, 38, 75, 75, 62},   // a label that just fits
        {true, -13, 45, 75, 75, 69},   // a wider label pushes the values right of its text
        {true, 1, 55, 75, 75, 76},     // as wide as the column
        {true, 1, 60, 75, 84, 85},     // wider than the column: the column grows
    };
    for (const auto& c : cases) {
        const AlertLayout layout = LayoutAlert(kAlertSkinWidth, c.header, c.gap, c.widestLabel);
        EXPECT_EQ(layout.header.bottom != 0, c.header);
        for (int n = 0; n < kAlertRowCount; ++n) {
            const int top = c.firstRowTop + 17 * n;
            EXPECT_EQ(layout.labels[n], (Rect{20, top, c.labelRight, top + 17}));
            EXPECT_EQ(layout.values[n], (Rect{c.valueLeft, top, kAlertSkinWidth - 10, top + 17}));
        }
    }
    EXPECT_EQ(LayoutAlert(315, true, 1, 0).header, (Rect{20, 42, 305, 57}));
}

TEST(AlertLayout, ButtonsTakeTheTemplatePlacesOnTheSkin) {
    EXPECT_EQ(SkinButtonRect(106, 75, 65, 22), (Rect{186, 123, 251, 145}));  // View
    EXPECT_EQ(SkinButtonRect(146, 75, 44, 22), (Rect{256, 123, 300, 145}));  // Close
    EXPECT_EQ(SkinButtonRect(162, 4, 16, 16), (Rect{285, 6, 301, 22}));      // close-all
    EXPECT_EQ(SkinButtonRect(kAlertTemplateWidth, kAlertTemplateHeight, 0, 0),
              (Rect{kAlertSkinWidth, kAlertSkinHeight, kAlertSkinWidth, kAlertSkinHeight}));
}

}  // namespace
}  // namespace mirelo
