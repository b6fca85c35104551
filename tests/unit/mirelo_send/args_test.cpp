#include "args.h"

#include <gtest/gtest.h>

namespace mirelo_send {
namespace {

struct Sample {
    bool flag = false;
    int number = 7;
    std::string text;
    double seconds = 0;
    Args pair;
};

std::vector<Option> SampleOptions(Sample* sample) {
    return {
        FlagOption("--flag", &sample->flag),
        IntegerOption("--number", &sample->number, 0, 99),
        TextOption("--text", &sample->text),
        SecondsOption("--seconds", &sample->seconds, 60),
        {"--pair", 2,
         [sample](const Args& values) {
             sample->pair = values;
             return std::string();
         }},
    };
}

TEST(ArgsTest, ReadsOptionsValuesAndPositionals) {
    Sample sample;
    const ParsedArgs parsed =
        ParseArgs({"one", "--flag", "--number", "42", "--text=a=b", "--pair", "x", "y", "two"}, SampleOptions(&sample));
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.positionals, (Args{"one", "two"}));
    EXPECT_TRUE(sample.flag);
    EXPECT_EQ(sample.number, 42);
    EXPECT_EQ(sample.text, "a=b");
    EXPECT_EQ(sample.pair, (Args{"x", "y"}));
}

TEST(ArgsTest, ValuesMayStartWithADash) {
    Sample sample;
    EXPECT_EQ(ParseArgs({"--text", "--flag"}, SampleOptions(&sample)).error, "");
    EXPECT_EQ(sample.text, "--flag");
    EXPECT_FALSE(sample.flag);
}

TEST(ArgsTest, DoubleDashEndsTheOptions) {
    Sample sample;
    const ParsedArgs parsed = ParseArgs({"--", "--flag", "-"}, SampleOptions(&sample));
    EXPECT_EQ(parsed.positionals, (Args{"--flag", "-"}));
    EXPECT_FALSE(sample.flag);
}

TEST(ArgsTest, HelpStopsReading) {
    Sample sample;
    EXPECT_TRUE(ParseArgs({"--bogus", "x"}, SampleOptions(&sample)).error != "");
    EXPECT_TRUE(ParseArgs({"--help", "--bogus"}, SampleOptions(&sample)).help);
    EXPECT_TRUE(ParseArgs({"-h"}, SampleOptions(&sample)).help);
}

TEST(ArgsTest, ReportsWhatIsWrong) {
    Sample sample;
    const std::vector<Option> options = SampleOptions(&sample);
    EXPECT_EQ(ParseArgs({"--bogus"}, options).error, "unknown option --bogus");
    EXPECT_EQ(ParseArgs({"--number"}, options).error, "--number needs a value");
    EXPECT_EQ(ParseArgs({"--pair", "x"}, options).error, "--pair needs 2 values");
    EXPECT_EQ(ParseArgs({"--flag=1"}, options).error, "--flag cannot take its value after '='");
    EXPECT_EQ(ParseArgs({"--number", "100"}, options).error,
              "--number: expects a whole number from 0 to 99, not '100'");
    EXPECT_NE(ParseArgs({"--number", "4x"}, options).error, "");
    EXPECT_NE(ParseArgs({"--number", ""}, options).error, "");
    EXPECT_NE(ParseArgs({"--seconds", "-1"}, options).error, "");
    EXPECT_NE(ParseArgs({"--seconds", "nan"}, options).error, "");
    EXPECT_NE(ParseArgs({"--seconds", "61"}, options).error, "");
}

TEST(ArgsTest, SecondsTakeFractions) {
    Sample sample;
    EXPECT_EQ(ParseArgs({"--seconds", "0.25"}, SampleOptions(&sample)).error, "");
    EXPECT_DOUBLE_EQ(sample.seconds, 0.25);
}

TEST(ArgsTest, ParseIntegerIsStrict) {
    EXPECT_EQ(ParseInteger("0", 0, 9), 0);
    EXPECT_EQ(ParseInteger("-3", -5, 5), -3);
    EXPECT_EQ(ParseInteger(" 3", 0, 9), std::nullopt);
    EXPECT_EQ(ParseInteger("3 ", 0, 9), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999", 0, 1 << 30), std::nullopt);
}

}  // namespace
}  // namespace mirelo_send
