#include "popups/popup_text.h"

#include <algorithm>

namespace mirelo {

bool IsCp949LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::string RemoveMarkup(std::string_view text, LeadByteTest isLead) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isLead(c) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
            continue;
        }
        if (c != '<') {
            out += text[i++];
            continue;
        }
        const std::size_t close = text.find('>', i + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        const bool kept =
            i + 1 < text.size() && (text[i + 1] == ' ' || isLead(static_cast<unsigned char>(text[i + 1])));
        if (kept) out.append(text.substr(i, close - i + 1));
        i = close + 1;
    }
    return out;
}

std::string TruncateBytes(std::string_view text, std::size_t limit, LeadByteTest isLead) {
    if (text.size() < limit) return std::string(text);
    const std::size_t cut = limit >= 4 ? limit - 4 : 0;
    std::size_t end = 0;
    while (end < cut) {
        const std::size_t width = isLead(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > cut) break;
        end += width;
    }
    return std::string(text.substr(0, end)) + "...";
}

std::string DoubleAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

std::string PrepareRowText(std::string_view text, std::size_t limit, LeadByteTest isLead) {
    return DoubleAmpersands(TruncateBytes(RemoveMarkup(text, isLead), limit, isLead));
}

std::string ViewUrl(std::string_view openUrl, std::string_view userId) {
    std::string url(openUrl);
    if (url.find("&K=") == std::string::npos) (url += "&K=") += userId;
    return url;
}

std::optional<Point> PlaceInWorkArea(const Rect& area, int width, int height, int displayPos) {
    switch (displayPos) {
        case 0:
            return Point{area.left + (area.right - area.left) / 2 - width / 2,
                         area.top + (area.bottom - area.top) / 2 - height / 2};
        case 1: return Point{area.left, area.top};
        case 2: return Point{area.right - width, area.top};
        case 3: return Point{area.left, area.bottom - height};
        case 4: return Point{area.right - width, area.bottom - height};
        default: return std::nullopt;
    }
}

int ScaleToDpi(int pixels, int dpi) {
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = kLayoutDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kLayoutDpi : -((-scaled + half) / kLayoutDpi));
}

int RowValueLeft(int labelLeft, int labelWidth, int gap, int labelTextWidth) {
    const int labelEnd = labelLeft + labelWidth;
    return std::max(labelEnd + gap, std::min(labelEnd, labelLeft + labelTextWidth + kLabelSpacing));
}

int FitLabelWidth(int describedWidth, int widestLabelText) {
    return widestLabelText <= describedWidth ? describedWidth : widestLabelText + kLabelSpacing;
}

int FitBottom(int top, int bottom, int textHeight) { return std::max(bottom, top + textHeight); }

int FitRowRight(int right, int rowBottom, const Rect& buttons) {
    const bool none = buttons.right <= buttons.left || buttons.bottom <= buttons.top;
    return none || rowBottom <= buttons.top ? right : std::min(right, buttons.left - kLabelSpacing);
}

Rect FitBrowserWindow(const Rect& area, int width, int height) {
    if (width == 0 || height == 0) return area;
    // Centred with the same margin on both sides; an axis the window does not fit takes the area's.
    const auto fit = [](int low, int high, int extent, int& first, int& second) {
        const int margin = high - low < extent ? 0 : (high - low - extent) / 2;
        first = low + margin;
        second = high - margin;
    };
    Rect rect;
    fit(area.left, area.right, width, rect.left, rect.right);
    fit(area.top, area.bottom, height, rect.top, rect.bottom);
    return rect;
}

}  // namespace mirelo
