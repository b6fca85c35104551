#include "popups/message_text.h"

#include <algorithm>

#include "core/text.h"
#include "reception/notification_record.h"

namespace mirelo {

namespace {

constexpr std::string_view kEllipsis = "...";
constexpr std::string_view kLineBreak = "\r\n";
constexpr int kMessageFixedRows = 3;
constexpr int kMessageFrameHeight = 100;

// Offsets at which a character starts, and the text's end: the places a cut may fall.
std::vector<std::size_t> CutPlaces(std::string_view text, LeadByteTest isLead) {
    std::vector<std::size_t> places;
    std::size_t at = 0;
    while (at < text.size()) {
        places.push_back(at);
        at += isLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
    }
    places.push_back(text.size());
    return places;
}

}  // namespace

std::string MessageRecordLine(const KindFields& f, std::string_view userKey) {
    using namespace message_field;
    // Whatever the message kind, the handler writes 8; the dispatcher keeps the kind it dispatched.
    return BuildRecordLine(kKindMessage, userKey, f.flag, f.Text(kDate), f.Text(kSubject), f.Text(kSender),
                           f.link.functionName, f.link.openUrl, 0);
}

std::string NoticeRecordLine(const KindFields& f, std::string_view userKey) {
    using namespace notice_field;
    return BuildRecordLine(kKindNotice, userKey, f.flag, f.Text(kDate), f.Text(kText), f.Text(kSender),
                           f.link.functionName, f.link.openUrl, 0);
}

int MessageVariant(std::string_view kindText, int dispatchedKind) {
    const int kind = ParseInt(kindText);
    if (kind == kKindMessage || kind == kKindMessageOther) return kind;
    return dispatchedKind == kKindMessageOther ? kKindMessageOther : kKindMessage;
}

MessageIcon MessageIconOf(std::string_view iconCode) {
    if (iconCode == "2") return MessageIcon::Exclamation;
    if (iconCode == "3") return MessageIcon::Error;
    return MessageIcon::Information;
}

std::string FitToWidth(std::string_view text, int maxWidth, const TextMeasure& measure, LeadByteTest isLead) {
    if (measure(text) <= maxWidth) return std::string(text);
    // Widths grow with the prefix: a binary search over the places a cut may fall.
    const std::vector<std::size_t> places = CutPlaces(text, isLead);
    std::size_t low = 0;                   // index of a place known to fit (the empty prefix)
    std::size_t high = places.size() - 1;  // the whole text does not fit
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        std::string candidate(text.substr(0, places[middle]));
        candidate += kEllipsis;
        if (measure(candidate) <= maxWidth) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return std::string(text.substr(0, places[low])) + std::string(kEllipsis);
}

std::vector<std::string> SplitMessageBody(std::string_view body) {
    const std::string cleaned = ReplaceAll(ReplaceAll(body, "</P>", ""), "</BR>", "");
    std::vector<std::string> rows;
    std::string_view rest(cleaned);
    while (!rest.empty()) {
        const std::size_t end = rest.find(kLineBreak);
        if (end == std::string_view::npos) {
            rows.emplace_back(rest);
            break;
        }
        rows.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end + kLineBreak.size());
    }
    if (rows.empty()) rows.emplace_back();
    return rows;
}

std::vector<std::string> BoundMessageRows(std::vector<std::string> rows, int maxRows, LeadByteTest isLead) {
    const std::size_t limit = static_cast<std::size_t>(std::max(maxRows, 1));
    if (rows.size() > limit) {
        rows.resize(limit);
        rows.back() = std::string(kEllipsis);
    }
    for (std::string& row : rows) {
        if (row.size() > kMessageLineBytes) row = TruncateBytes(row, kMessageLineBytes, isLead);
    }
    return rows;
}

int MaxMessageRows(const Rect& workArea) {
    const int rows = (workArea.Height() - kMessageFrameHeight) / kMessageRowHeight - kMessageFixedRows;
    return std::max(rows, 1);
}

Size MessageWindowSize(int widestRow, int rowCount, int subjectWidth, int senderWidth, int labelGrowth,
                       const Rect& workArea) {
    const int widest = std::max(widestRow, kMessageMinLineWidth);
    const int rows = std::max(rowCount, 1);
    Size size;
    size.width = std::max({widest + kMessageBodyMargin + labelGrowth, subjectWidth, senderWidth, kMessageMinWidth});
    size.height = (rows + kMessageFixedRows) * kMessageRowHeight + kMessageFrameHeight;
    if (workArea.Width() > 0) size.width = std::min(size.width, workArea.Width());
    if (workArea.Height() > 0) size.height = std::min(size.height, workArea.Height());
    return size;
}

NoticeTitle MakeNoticeTitle(std::string_view sender, std::string_view suffix, std::string_view fallback) {
    std::string title(sender);
    title += suffix;
    if (title.size() >= kNoticeTitleMinBytes) return {title, true};
    return {std::string(fallback), false};
}

}  // namespace mirelo
