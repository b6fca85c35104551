#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "popups/kind_fields.h"
#include "popups/popup_text.h"

namespace mirelo {

namespace message_field {
enum : int { kKindText, kTitle, kSender, kSubject, kIconCode, kBody, kDate, kLink };
}
namespace notice_field {
enum : int { kUnused0, kUnused1, kSender, kText, kDate, kLink, kFlag };
}

std::string MessageRecordLine(const KindFields& fields, std::string_view userKey);
std::string NoticeRecordLine(const KindFields& fields, std::string_view userKey);

// Flag bit 1 of a notice asks for the animated notifier instead of the text pop-up.
inline bool IsAnimatedNotice(int flag) { return (flag & 2) != 0; }

// The message pop-up's variant by the payload's message kind: 8 administrator, 9 user. Any other
// value takes the kind the message was dispatched as.
int MessageVariant(std::string_view kindText, int dispatchedKind);

enum class MessageIcon { Information, Exclamation, Error };
MessageIcon MessageIconOf(std::string_view iconCode);

// Measures a text's width in pixels in the font it is drawn with.
using TextMeasure = std::function<int(std::string_view)>;

// The text cut, when it is wider than maxWidth, to the longest prefix that fits together with
// "..." and does not split a double-byte character; "..." alone when nothing fits.
std::string FitToWidth(std::string_view text, int maxWidth, const TextMeasure& measure, LeadByteTest isLead);

// The body's rows: every "</P>" and "</BR>" deleted, then split at "\r\n"; the empty piece after a
// final "\r\n" is no row. At least one row.
std::vector<std::string> SplitMessageBody(std::string_view body);

// Bounds that keep the first paint's work and the window within the screen: at most maxRows rows
// (the last of them "..." when the body had more) and at most kMessageLineBytes bytes a row.
inline constexpr std::size_t kMessageLineBytes = 1024;
std::vector<std::string> BoundMessageRows(std::vector<std::string> rows, int maxRows, LeadByteTest isLead);

// Geometry of the message pop-up (pixels; rows are 17 high).
inline constexpr int kMessageRowHeight = 17;
inline constexpr int kMessageMinWidth = 300;
inline constexpr int kMessageBodyMargin = 150;
inline constexpr int kMessageMinLineWidth = 18;

// How many body rows a window of the work area's height holds (at least 1).
int MaxMessageRows(const Rect& workArea);

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// The window's outer size: width the largest of the widest row + 150 (+ what the label column grew
// by), the subject's and the sender's widths and 300; height (rows + 3) x 17 + 100. Neither exceeds
// the work area.
Size MessageWindowSize(int widestRow, int rowCount, int subjectWidth, int senderWidth, int labelGrowth,
                       const Rect& workArea);

// The notice pop-up's title: the sender followed by the suffix, drawn wrapped when it is at least
// 28 bytes long; a shorter one gives way to the fallback sentence, drawn on one line.
struct NoticeTitle {
    std::string text;
    bool wrap = false;
};
inline constexpr std::size_t kNoticeTitleMinBytes = 28;
NoticeTitle MakeNoticeTitle(std::string_view sender, std::string_view suffix, std::string_view fallback);

}  // namespace mirelo
