#include "popups/message_text.h"

#include <gtest/gtest.h>

#include "korean_text.h"

namespace mirelo {
namespace {

using testing::Cp949;

const TextConverter kSame = [](std::string_view text) { return std::string(text); };

// Six pixels a byte: a stand-in for a fixed-pitch font.
int SixPerByte(std::string_view text) { return static_cast<int>(text.size()) * 6; }

const Rect kScreen{0, 0, 1024, 740};

TEST(MessageFields, DecodeEightFieldsWithALongBodyAndBuildTheRecordLine) {
    const std::string body(300, 'b');
    const std::string link = *BuildLinkField(5, "OpenMsg", "http://gw/m");
    KindFields message;
    message.Decode(*EncodePayload({"9", "Title", "Kim", "Lunch", "2", body, "2026-12-07", link}, kMessageLayout),
                   kMessageLayout, -1, -1, kSame);
    EXPECT_EQ(message.Text(message_field::kBody), body);
    EXPECT_EQ(message.link.functionName, "OpenMsg");
    EXPECT_EQ(message.flag, 0);
    EXPECT_EQ(MessageRecordLine(message, "K"), "8\tK\t0\t2026-12-07\tLunch\tKim\tOpenMsg\thttp://gw/m\t0\t0");
}

TEST(MessageFields, NoticeRecordLineCarriesTheTextAsSubjectAndTheFlag) {
    KindFields notice;
    notice.Decode(*EncodePayload({"a", "b", "Lee", "Closed today", "D", "", "3"}, kNoticeLayout), kNoticeLayout, -1,
                  notice_field::kFlag, kSame);
    EXPECT_EQ(notice.flag, 3);
    EXPECT_TRUE(IsAnimatedNotice(notice.flag));
    EXPECT_FALSE(IsAnimatedNotice(1));
    EXPECT_EQ(NoticeRecordLine(notice, "K"), "10\tK\t3\tD\tClosed today\tLee\t\t\t0\t0");
}

TEST(MessageFields, VariantAndIcon) {
    EXPECT_EQ(MessageVariant("8", 9), 8);
    EXPECT_EQ(MessageVariant("09", 8), 9);
    EXPECT_EQ(MessageVariant("x", 9), 9);
    EXPECT_EQ(MessageVariant("", 8), 8);
    EXPECT_EQ(MessageIconOf("2"), MessageIcon::Exclamation);
    EXPECT_EQ(MessageIconOf("3"), MessageIcon::Error);
    EXPECT_EQ(MessageIconOf("1"), MessageIcon::Information);
    EXPECT_EQ(MessageIconOf(""), MessageIcon::Information);
}

TEST(MessageBody, SplitsAtCrLfAndDropsParagraphAndBreakTags) {
    struct Case {
        std::string body;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one</BR>more\r\n", {"onemore"}},
        {"<b>a</b></P>\r\n\r\nb\r\n", {"<b>a</b>", "", "b"}},
        {"\r\n", {""}},
        {"", {""}},
        {"no end", {"no end"}},
        {"a\nb\r\n", {"a\nb"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitMessageBody(c.body), c.rows) << c.body;
}

TEST(MessageBody, RowsAreBoundedByCountAndBytes) {
    std::vector<std::string> many(5000, "line");
    const auto rows = BoundMessageRows(many, 30, IsCp949LeadByte);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[28], "line");
    EXPECT_EQ(rows[29], "...");
    EXPECT_EQ(BoundMessageRows({"a", "b"}, 2, IsCp949LeadByte), (std::vector<std::string>{"a", "b"}));
    const std::string wide = std::string(1019, 'x') + Cp949("한글한글");  // 1,027 bytes
    const auto cut = BoundMessageRows({wide}, 5, IsCp949LeadByte);
    EXPECT_EQ(cut[0], std::string(1019, 'x') + "...");
    EXPECT_EQ(MaxMessageRows(kScreen), (740 - 100) / 17 - 3);
    EXPECT_EQ(MaxMessageRows(Rect{0, 0, 100, 50}), 1);
}

TEST(MessageWindow, SizeRules) {
    struct Case {
        int widest, rows, subject, sender, growth;
        Size size;
    };
    const Case cases[] = {
        {40, 2, 80, 60, 0, {300, 185}},     // two body rows: (2 + 3) x 17 + 100
        {400, 1, 0, 0, 0, {550, 168}},      // the widest row + 150
        {0, 0, 0, 0, 0, {300, 168}},        // nothing measured: one row, at least 18 wide
        {100, 3, 520, 610, 0, {610, 202}},  // the sender is wider
        {300, 1, 0, 0, 12, {462, 168}},     // a label column grown by 12 pixels
        {5000, 90, 0, 0, 0, {1024, 740}},   // never beyond the work area
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageWindowSize(c.widest, c.rows, c.subject, c.sender, c.growth, kScreen), c.size) << c.widest;
    }
}

TEST(MessageWindow, FitToWidthCutsByPixelsAndKeepsDoubleByteCharactersWhole) {
    EXPECT_EQ(FitToWidth("short", 60, SixPerByte, IsCp949LeadByte), "short");
    EXPECT_EQ(FitToWidth("abcdefghij", 60, SixPerByte, IsCp949LeadByte), "abcdefghij");  // exactly fits
    EXPECT_EQ(FitToWidth("abcdefghijk", 60, SixPerByte, IsCp949LeadByte), "abcdefg...");
    const std::string korean = Cp949("가나다라마");                                         // ten bytes
    EXPECT_EQ(FitToWidth(korean, 48, SixPerByte, IsCp949LeadByte), Cp949("가나") + "...");  // 7 bytes would split
    EXPECT_EQ(FitToWidth("abcdef", 10, SixPerByte, IsCp949LeadByte), "...");
    int calls = 0;
    const TextMeasure counting = [&calls](std::string_view text) {
        ++calls;
        return SixPerByte(text);
    };
    FitToWidth(std::string(65535, 'x'), 600, counting, IsCp949LeadByte);
    EXPECT_LE(calls, 20) << "a binary search, not one measure per byte";
}

TEST(NoticeTitle, TwentyEightBytesOrMoreShowTheSenderSentence) {
    const std::string suffix = Cp949("님께서 보내신 메시지입니다.");
    ASSERT_EQ(suffix.size(), 27u);
    const std::string fallback = "New message is arrived.";
    struct Case {
        std::string sender, suffix;
        NoticeTitle title;
    };
    const Case cases[] = {
        {"", suffix, {fallback, false}},
        {"K", suffix, {"K" + suffix, true}},
        {"", "send message.", {fallback, false}},
        {std::string(14, 'x'), "send message.", {fallback, false}},  // 27 bytes
        {std::string(15, 'x'), "send message.", {std::string(15, 'x') + "send message.", true}},
    };
    for (const Case& c : cases) {
        const NoticeTitle title = MakeNoticeTitle(c.sender, c.suffix, fallback);
        EXPECT_EQ(title.text, c.title.text);
        EXPECT_EQ(title.wrap, c.title.wrap);
    }
}

}  // namespace
}  // namespace mirelo
