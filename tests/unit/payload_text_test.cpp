#include "store/payload_text.h"

#include <gtest/gtest.h>

#include "core/code_page_posix.h"

namespace mirelo {
namespace {

const std::string kHanUtf8 = "\xED\x95\x9C";  // one Hangul syllable in UTF-8
const std::string kHanCp949 = "\xC7\xD1";     // the same in code page 949

TEST(PayloadText, LevelZeroKeepsTheBytes) {
    const IconvCodec codec("CP949");
    EXPECT_EQ(ReadPayloadText(kHanUtf8, 0, codec), kHanUtf8);
}

TEST(PayloadText, LevelOneConvertsFromUtf8) {
    const IconvCodec codec("CP949");
    EXPECT_EQ(ReadPayloadText("Mail " + kHanUtf8, 1, codec), "Mail " + kHanCp949);
    EXPECT_EQ(ReadPayloadText(kHanCp949, 1, codec), "??") << "not UTF-8: replaced";
}

TEST(PayloadText, HigherLevelsConvertOnlyWhenNothingIsLost) {
    const IconvCodec codec("CP949");
    EXPECT_EQ(ReadPayloadText(kHanUtf8, 2, codec), kHanCp949);
    EXPECT_EQ(ReadPayloadText(kHanCp949, 2, codec), kHanCp949) << "code page 949 text stays as received";
    EXPECT_EQ(ReadPayloadText("what? " + kHanUtf8, 9, codec), "what? " + kHanCp949) << "a real ? is no loss";
    const IconvCodec western("CP1252");
    EXPECT_EQ(ReadPayloadText(kHanUtf8, 5, western), kHanUtf8) << "the code page lacks the character";
    EXPECT_EQ(ReadPayloadText(kHanUtf8, 1, western), "?");
}

TEST(PayloadText, LongFieldsConvertWhole) {
    const IconvCodec codec("CP949");
    std::string utf8;
    std::string cp949;
    for (int i = 0; i < 2000; ++i) {
        utf8 += kHanUtf8;
        cp949 += kHanCp949;
    }
    EXPECT_EQ(ReadPayloadText(utf8, 1, codec), cp949);
    EXPECT_EQ(ReadPayloadText(utf8, 2, codec), cp949);
}

}  // namespace
}  // namespace mirelo
