#include "popups/popup_text.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

const std::string kHan = "\xC7\xD1";  // one double-byte character of code page 949

TEST(PopupText, SubjectsShorterThanTheLimitStayWhole) {
    EXPECT_EQ(TruncateBytes(std::string(44, 's'), 45, IsCp949LeadByte), std::string(44, 's'));
    EXPECT_EQ(TruncateBytes(std::string(45, 's'), 45, IsCp949LeadByte), std::string(41, 's') + "...");
    EXPECT_EQ(TruncateBytes(std::string(31, 's'), 32, IsCp949LeadByte), std::string(31, 's'));
    EXPECT_EQ(TruncateBytes(std::string(40, 's'), 32, IsCp949LeadByte), std::string(28, 's') + "...");
}

TEST(PopupText, TruncationNeverSplitsADoubleByteCharacter) {
    const std::string subject = std::string(40, 'a') + kHan + std::string(10, 'b');  // byte 41 is a lead byte
    EXPECT_EQ(TruncateBytes(subject, 45, IsCp949LeadByte), std::string(40, 'a') + "...");
    std::string korean;
    for (int i = 0; i < 30; ++i) korean += kHan;
    const std::string cut = TruncateBytes(korean, 45, IsCp949LeadByte);
    EXPECT_EQ(cut.size(), 40u + 3u);
    EXPECT_EQ(cut.substr(38, 2), kHan);
}

TEST(PopupText, LayoutPixelsScaleWithTheScreenResolution) {
    struct Case {
        int pixels, dpi, expected;
    };
    for (const Case& c : {Case{17, 96, 17}, Case{17, 120, 21}, Case{17, 144, 26}, Case{55, 144, 83}, Case{10, 192, 20},
                          Case{1, 144, 2}, Case{-13, 144, -20}, Case{-13, 96, -13}, Case{0, 144, 0}}) {
        EXPECT_EQ(ScaleToDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
    }
}

TEST(PopupText, MarkupRemoval) {
    EXPECT_EQ(RemoveMarkup("<b>Hello</b> world", IsCp949LeadByte), "Hello world");
    EXPECT_EQ(RemoveMarkup("a < b and c > d", IsCp949LeadByte), "a < b and c > d");
    EXPECT_EQ(RemoveMarkup("x <" + kHan + "> y", IsCp949LeadByte), "x <" + kHan + "> y");
    EXPECT_EQ(RemoveMarkup("plain text", IsCp949LeadByte), "plain text");
    EXPECT_EQ(RemoveMarkup("open <tag without end", IsCp949LeadByte), "open <tag without end");
    EXPECT_EQ(RemoveMarkup("<a href=\"x\">link</a>" + kHan, IsCp949LeadByte), "link" + kHan);
}

TEST(PopupText, RowsAreCleanedCutAndEscaped) {
    EXPECT_EQ(PrepareRowText("R&D <i>news</i>", 45, IsCp949LeadByte), "R&&D news");
    EXPECT_EQ(PrepareRowText(std::string(50, '&'), 45, IsCp949LeadByte), std::string(82, '&') + "...");
}

TEST(PopupText, ViewUrlAppendsTheUserOnce) {
    EXPECT_EQ(ViewUrl("http://gw/m?id=1", "kim"), "http://gw/m?id=1&K=kim");
    EXPECT_EQ(ViewUrl("http://gw/m?id=1&K=lee", "kim"), "http://gw/m?id=1&K=lee");
    EXPECT_EQ(ViewUrl("http://gw/m", ""), "http://gw/m&K=");
}

TEST(PopupText, PlacementByDisplayPos) {
    const Rect area{0, 0, 1280, 1000};
    EXPECT_EQ(PlaceInWorkArea(area, 300, 151, 0), (Point{490, 425}));
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, 1), (Point{0, 0}));
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, 2), (Point{980, 0}));
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, 3), (Point{0, 850}));
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, 4), (Point{980, 850}));
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, 5), std::nullopt);
    EXPECT_EQ(PlaceInWorkArea(area, 300, 150, -1), std::nullopt);
    EXPECT_EQ(PlaceInWorkArea(Rect{100, 50, 1100, 750}, 300, 150, 4), (Point{800, 600}));
}

TEST(PopupText, BrowserWindowsAreCentredAndFitted) {
    const Rect area{0, 0, 1280, 1000};
    EXPECT_EQ(FitBrowserWindow(area, 840, 620), (Rect{220, 190, 1060, 810}));
    EXPECT_EQ(FitBrowserWindow(area, 2000, 600), (Rect{0, 200, 1280, 800}));
    EXPECT_EQ(FitBrowserWindow(area, 0, 0), area);
    EXPECT_EQ(FitBrowserWindow(area, 840, 0), area);
}

TEST(RowValueLeft, ValuesNeverStartInsideTheLabelText) {
    const struct {
        int gap;
        int labelText;
        int left;
    } cases[] = {
        {1, 30, 56},    // as laid out
        {-13, 28, 42},  // the alert's gap with a short label
        {-13, 38, 52},  // the label's text reaches past the laid-out start
        {-13, 50, 55},  // never further right than without the gap
        {1, 60, 56},    // a positive gap is kept whatever the label
    };
    for (const auto& c : cases)
        EXPECT_EQ(RowValueLeft(10, 45, c.gap, c.labelText), c.left) << c.gap << " " << c.labelText;
}

TEST(TextFit, BoxesGrowOnlyWhereTheSelectedFontNeedsIt) {
    const struct {
        int described;
        int text;
        int width;
    } labels[] = {
        {45, 38, 45},  // a Korean label that fits keeps the described column
        {45, 45, 45},  // exactly as wide as the column
        {45, 46, 50},  // "Doc Subject" in a wider font: its text and the spacing
        {55, 71, 75},
    };
    for (const auto& c : labels) EXPECT_EQ(FitLabelWidth(c.described, c.text), c.width) << c.text;

    const struct {
        int top;
        int bottom;
        int height;
        int fitted;
    } lines[] = {
        {27, 40, 12, 40},  // a line lower than the described box
        {27, 40, 13, 40},
        {27, 40, 15, 42},  // bold 11 points: the descenders stay inside
        {27, 40, 30, 57},  // two wrapped lines
    };
    for (const auto& c : lines) EXPECT_EQ(FitBottom(c.top, c.bottom, c.height), c.fitted) << c.height;

    const Rect buttons{300, 125, 390, 150};
    const struct {
        int bottom;
        Rect buttons;
        int right;
    } rows[] = {
        {123, buttons, 397},  // above the buttons
        {140, buttons, 296},  // beside them: stops before them
        {140, Rect{}, 397},   // no buttons shown
    };
    for (const auto& c : rows) EXPECT_EQ(FitRowRight(397, c.bottom, c.buttons), c.right) << c.bottom;
}

}  // namespace
}  // namespace mirelo
