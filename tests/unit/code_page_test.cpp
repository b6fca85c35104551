#include "core/code_page.h"
#include "core/code_page_posix.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
    const std::string text = "a\xC3\xA9\xED\x80\xBC\xF0\x9F\x98\x80";  // a, e-acute, a Hangul syllable, an emoji
    const std::u16string units = Utf8ToUtf16(text);
    EXPECT_EQ(units.size(), 5u);
    EXPECT_EQ(Utf16ToUtf8(units), text);
}

TEST(Utf8, InvalidSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80").find(char16_t{0xD800}), std::u16string::npos) << "no surrogates";
    EXPECT_EQ(Utf8ToUtf16("\xC4\xFB\xB7\xD0").find(u'\uFFFD') != std::u16string::npos, true) << "CP949 bytes";
    const char16_t unpaired[] = {0xD800, u'x', 0};
    EXPECT_EQ(Utf16ToUtf8(unpaired), "\xEF\xBF\xBDx");
}

TEST(IconvCodec, KoreanAndReplacement) {
    const IconvCodec codec("CP949");
    const std::u16string hangul = u"\uD034\uB860";  // two Hangul syllables
    const std::string ansi = codec.Encode(hangul, CodePage::Ansi);
    EXPECT_EQ(ansi.size(), 4u);
    EXPECT_EQ(codec.Decode(ansi, CodePage::Ansi), hangul);
    EXPECT_EQ(codec.Encode(u"x\u0E01y", CodePage::Ansi), "x?y") << "Thai is not in code page 949";
    EXPECT_EQ(codec.Decode("\xFF\xFF", CodePage::Korean).find(u'\uFFFD') != std::u16string::npos, true);
    const IconvCodec western("CP1252");
    EXPECT_EQ(western.Encode(hangul, CodePage::Ansi), "??");
    EXPECT_EQ(western.Encode(u"\u00E9", CodePage::Ansi), "\xE9");
}

// Long texts convert in pieces: a character that straddles the end of a piece, and characters the
// target lacks anywhere, come out as they would in one piece.
TEST(IconvCodec, LongTextsConvertWholeAcrossPieces) {
    const IconvCodec codec("CP949");
    for (std::size_t lead = 240; lead < 270; ++lead) {
        const std::u16string text = std::u16string(lead, u'a') + u"\uD034\u0E01\uB860" + std::u16string(300, u'b');
        const std::string ansi = codec.Encode(text, CodePage::Ansi);
        EXPECT_EQ(ansi, std::string(lead, 'a') + "\xC4\xFB?\xB7\xD0" + std::string(300, 'b')) << lead;
        EXPECT_EQ(codec.Decode(std::string(lead, 'a') + "\xC4\xFB\xFF" + std::string(300, 'b'), CodePage::Ansi),
                  std::u16string(lead, u'a') + u"\uD034\uFFFD" + std::u16string(300, u'b'))
            << lead;
    }
}

}  // namespace
}  // namespace mirelo
