#include "popups/alert_layout.h"

#include "popups/popup_text.h"

namespace mirelo {

namespace {

constexpr int kRowLeft = 10 + 10;  // the family's row margin plus the alert's own offset
constexpr int kLabelWidth = 55;
constexpr int kRowTop = 55;
constexpr int kRowHeight = 17;
constexpr int kOffsetWithHeader = 20;
constexpr int kOffsetWithoutHeader = 10;
constexpr Rect kHeaderFrom{20, 42, 10, 57};  // right is measured from the window's right edge

}  // namespace

AlertLayout LayoutAlert(int windowWidth, bool hasHeader, int labelGap, int widestLabelText) {
    AlertLayout layout;
    if (hasHeader) {
        layout.header = {kHeaderFrom.left, kHeaderFrom.top, windowWidth - kHeaderFrom.right, kHeaderFrom.bottom};
    }
    const int labelWidth = FitLabelWidth(kLabelWidth, widestLabelText);
    const int valueLeft = RowValueLeft(kRowLeft, labelWidth, labelGap, widestLabelText);
    const int top = kRowTop + (hasHeader ? kOffsetWithHeader : kOffsetWithoutHeader);
    for (int n = 0; n < kAlertRowCount; ++n) {
        const int rowTop = top + kRowHeight * n;
        layout.labels[n] = {kRowLeft, rowTop, kRowLeft + labelWidth, rowTop + kRowHeight};
        layout.values[n] = {valueLeft, rowTop, windowWidth - 10, rowTop + kRowHeight};
    }
    return layout;
}

Rect SkinButtonRect(int templateX, int templateY, int faceWidth, int faceHeight) {
    const int x = templateX * kAlertSkinWidth / kAlertTemplateWidth;
    const int y = templateY * kAlertSkinHeight / kAlertTemplateHeight;
    return {x, y, x + faceWidth, y + faceHeight};
}

}  // namespace mirelo
