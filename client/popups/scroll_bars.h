#pragma once

#include <functional>
#include <string_view>

namespace mirelo {

// Which scroll bars a multi-line text box shows.
struct ScrollBars {
    bool horizontal = false;
    bool vertical = false;
    bool operator==(const ScrollBars&) const = default;
};

// The text box in pixels: its client area without any scroll bar, the bars' thickness and the
// height of one line of its font (0 when it has no font).
struct TextBoxMetrics {
    int width = 0;
    int height = 0;
    int verticalBarWidth = 0;
    int horizontalBarHeight = 0;
    int lineHeight = 0;
};

// Decides the bars for a text. Lines end at "\n" (one "\r" before it is not measured). A line as wide
// as the area beside the vertical bar, or wider, needs the horizontal bar; lines that fill the height
// left beside the horizontal bar, or more, need the vertical one. Each bar takes room from the other
// direction, so the decision is made for the area the text will really have: the same text always
// gives the same bars. Without a font neither bar is needed. Measuring stops at the first line wider
// than the whole area.
ScrollBars DecideScrollBars(std::string_view text, const std::function<int(std::string_view)>& measure,
                            const TextBoxMetrics& box);

// What the box shows now; Apply returns the bars whose state changes and remembers the new one.
class ScrollBarState {
public:
    ScrollBars Apply(const ScrollBars& needed);
    const ScrollBars& Shown() const { return shown_; }

private:
    ScrollBars shown_{true, true};  // the box is created with both bars
};

}  // namespace mirelo
