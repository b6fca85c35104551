#include "core/text.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(ParseInt, BehavesLikeTheRuntimesAtoi) {
    EXPECT_EQ(ParseInt("0000005702"), 5702);
    EXPECT_EQ(ParseInt("   42"), 42);
    EXPECT_EQ(ParseInt("\t\n 7x"), 7);
    EXPECT_EQ(ParseInt("-15"), -15);
    EXPECT_EQ(ParseInt("+15"), 15);
    EXPECT_EQ(ParseInt("abc"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt("- 5"), 0);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("2147483648"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(ParseInt64, KeepsTenDigitsExact) {
    EXPECT_EQ(ParseInt64("9999999999"), 9'999'999'999);
    EXPECT_EQ(ParseInt64(" -999999999x"), -999'999'999);
    EXPECT_EQ(ParseInt64("+0000000042"), 42);
    EXPECT_EQ(ParseInt64("99999999999999999999999"), 1'000'000'000'000'000'000) << "saturates";
    EXPECT_EQ(ParseInt64("999999999999999999"), 999'999'999'999'999'999);
    EXPECT_EQ(ParseInt64("9999999999999999999"), 1'000'000'000'000'000'000) << "19 nines do not overflow";
    EXPECT_EQ(ParseInt64("1000000000000000000"), 1'000'000'000'000'000'000);
    EXPECT_EQ(ParseInt64("-99999999999999999999999"), -1'000'000'000'000'000'000);
}

TEST(Text, FlagsTrimsAndCuts) {
    EXPECT_TRUE(IsTrueFlag("1"));
    EXPECT_FALSE(IsTrueFlag(""));
    EXPECT_EQ(TrimSpaces("  3.1 "), "3.1");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("\t3"), "\t3");
    EXPECT_EQ(FitBuffer("abcdef", 4), "abc");
    EXPECT_EQ(FitBuffer("ab", 4), "ab");
    EXPECT_EQ(ReplaceAll("Mirelo.exeXMirelo.exe", "Mirelo.exe", ""), "X");
    EXPECT_TRUE(EndsWithNoCase("a.XnF", ".xnf"));
    EXPECT_FALSE(EndsWithNoCase("nf", ".xnf"));
}

}  // namespace
}  // namespace mirelo
