#include "popups/scroll_bars.h"

#include <algorithm>

namespace mirelo {

ScrollBars DecideScrollBars(std::string_view text, const std::function<int(std::string_view)>& measure,
                            const TextBoxMetrics& box) {
    if (box.lineHeight <= 0) return {};
    int widest = 0;
    int lines = 0;
    std::string_view rest = text;
    while (true) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++lines;
        if (widest < box.width) widest = std::max(widest, measure(line));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    ScrollBars bars;
    // Adding one bar can only call for the other: three rounds reach the stable answer.
    for (int round = 0; round < 3; ++round) {
        const int width = box.width - (bars.vertical ? box.verticalBarWidth : 0);
        const int height = box.height - (bars.horizontal ? box.horizontalBarHeight : 0);
        bars.horizontal = widest >= width;
        bars.vertical = static_cast<long long>(lines) * box.lineHeight >= height;
    }
    return bars;
}

ScrollBars ScrollBarState::Apply(const ScrollBars& needed) {
    const ScrollBars changed{needed.horizontal != shown_.horizontal, needed.vertical != shown_.vertical};
    shown_ = needed;
    return changed;
}

}  // namespace mirelo
