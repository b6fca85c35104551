#include "bytes.h"

#include <gtest/gtest.h>

namespace mirelo_send {
namespace {

using namespace std::string_literals;

TEST(BytesTest, Hex) {
    EXPECT_EQ(ToHex("\x00\x7f\xff@"s), "007fff40");
    EXPECT_EQ(ToHex("ab", " "), "61 62");
    EXPECT_EQ(ToHex(""), "");
    EXPECT_EQ(FromHex("007FfF40"), "\x00\x7f\xff@"s);
    EXPECT_EQ(FromHex("de ad:be-ef"), "\xde\xad\xbe\xef"s);
    EXPECT_EQ(FromHex(""), "");
    EXPECT_EQ(FromHex("abc"), std::nullopt);
    EXPECT_EQ(FromHex("a b"), std::nullopt);
    EXPECT_EQ(FromHex("zz"), std::nullopt);
}

TEST(BytesTest, Base64) {
    EXPECT_EQ(ToBase64(""), "");
    EXPECT_EQ(ToBase64("f"), "Zg==");
    EXPECT_EQ(ToBase64("fo"), "Zm8=");
    EXPECT_EQ(ToBase64("foo"), "Zm9v");
    EXPECT_EQ(ToBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(ToBase64("\xff\xfe\x00"s), "//4A");
}

TEST(BytesTest, Escapes) {
    std::string error;
    EXPECT_EQ(DecodeEscapes("@Ukim\\0http://x", &error), "@Ukim\0http://x"s);
    EXPECT_EQ(DecodeEscapes("\\012", &error), std::string(1, '\0') + "12");
    EXPECT_EQ(DecodeEscapes("a\\\\b\\n\\r\\t\\x41\\xfF", &error), "a\\b\n\r\tA\xff"s);
    EXPECT_EQ(DecodeEscapes("plain", &error), "plain");
    EXPECT_EQ(DecodeEscapes("bad\\q", &error), std::nullopt);
    EXPECT_NE(error.find("offset 3"), std::string::npos);
    EXPECT_EQ(DecodeEscapes("end\\", &error), std::nullopt);
    EXPECT_EQ(DecodeEscapes("\\x4", &error), std::nullopt);
    EXPECT_NE(error.find("two hex digits"), std::string::npos);
}

TEST(BytesTest, JsonStringKeepsEveryByte) {
    EXPECT_EQ(JsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonString("\x00\n\x7f\xc3"s), R"("\u0000\u000a\u007f\u00c3")");
}

TEST(BytesTest, PrintableText) { EXPECT_EQ(PrintableText("ab\x00 ~\x7f\xe9"s), "ab. ~.."); }

}  // namespace
}  // namespace mirelo_send
