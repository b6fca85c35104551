#include "popups/scroll_bars.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

int SixPerByte(std::string_view text) { return static_cast<int>(text.size()) * 6; }

// 60 x 48 pixels without bars, 12-pixel lines, 10-pixel bars.
const TextBoxMetrics kBox{60, 48, 10, 10, 12};

TEST(ScrollBars, Decisions) {
    struct Case {
        const char* name;
        std::string text;
        TextBoxMetrics box;
        ScrollBars bars;
    };
    const Case cases[] = {
        {"empty text", "", kBox, {false, false}},
        {"empty text in a box lower than a line", "", {60, 11, 10, 10, 12}, {false, true}},
        {"exactly the width", std::string(10, 'x'), kBox, {true, false}},
        {"one pixel narrower", std::string(9, 'x') + "\r", kBox, {false, false}},
        {"four lines fill the height", "a\nb\nc\nd", kBox, {false, true}},
        {"three lines", "a\r\nb\r\nc", kBox, {false, false}},
        {"the vertical bar narrows the width", "123456789\n2\n3\n4", kBox, {true, true}},
        {"the horizontal bar lowers the height", std::string(10, 'x') + "\nb\nc", {60, 44, 10, 10, 12}, {true, true}},
        {"no font", std::string(100, 'x'), {60, 48, 10, 10, 0}, {false, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(DecideScrollBars(c.text, SixPerByte, c.box), c.bars) << c.name;
}

TEST(ScrollBars, MeasuringStopsAtTheFirstLineTooWide) {
    int measured = 0;
    const auto counting = [&measured](std::string_view text) {
        ++measured;
        return SixPerByte(text);
    };
    std::string text = std::string(20, 'x');
    for (int i = 0; i < 1000; ++i) text += "\nline";
    EXPECT_EQ(DecideScrollBars(text, counting, kBox), (ScrollBars{true, true}));
    EXPECT_EQ(measured, 1);
}

TEST(ScrollBars, TheSameTextTwiceChangesNothing) {
    ScrollBarState state;
    const ScrollBars needed = DecideScrollBars("a\nb\nc\nd", SixPerByte, kBox);
    EXPECT_EQ(state.Apply(needed), (ScrollBars{true, false}));  // created with both: the horizontal goes
    EXPECT_EQ(state.Apply(DecideScrollBars("a\nb\nc\nd", SixPerByte, kBox)), (ScrollBars{false, false}));
    EXPECT_EQ(state.Shown(), (ScrollBars{false, true}));
}

}  // namespace
}  // namespace mirelo
