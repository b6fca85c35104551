// The payload builders' encoding, flag, link and raw-byte options, and the usage errors they give.

#include <gtest/gtest.h>

#include "payload_test_support.h"
#include "popups/payload_codec.h"

namespace mirelo_send::test {
namespace {

using mirelo::DecodePayload;
using mirelo::PayloadFields;

const std::string kKimUtf8 = "\xEA\xB9\x80";  // the Hangul syllable Kim in UTF-8
const std::string kKimCp949 = "\xB1\xE8";     // the same in code page 949

PayloadFields Mail(Args extra) {
    Args args = {"mail", "--sender", "Kim", "--subject", "Hi", "--date", "D"};
    args.insert(args.end(), extra.begin(), extra.end());
    const DryRun run = BuildDry(args);
    EXPECT_EQ(run.exitCode, kExitOk) << run.err;
    return DecodePayload(run.payload, mirelo::kMailLayout);
}

// Runs a builder that must refuse its arguments, and returns what it said.
std::string UsageErrorOf(const Args& args) {
    const RunResult result = RunSend(args);
    EXPECT_EQ(result.exitCode, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "--help")) << result.err;
    return result.err;
}

TEST(PayloadOptionsTest, TextsAreUtf8ByDefault) {
    const PayloadFields fields = Mail({"--sender", kKimUtf8, "--recipients", kKimUtf8});
    EXPECT_EQ(fields[2], kKimUtf8);
    EXPECT_EQ(fields[7], kKimUtf8);
}

TEST(PayloadOptionsTest, Cp949EncodesEveryTextField) {
    const PayloadFields fields =
        Mail({"--cp949", "--sender", kKimUtf8, "--subject", kKimUtf8 + " 1", "--text", kKimUtf8, "--date", kKimUtf8,
              "--recipients", kKimUtf8, "--function", kKimUtf8, "--url", "http://gw/" + kKimUtf8});
    EXPECT_EQ(fields[2], kKimCp949);
    EXPECT_EQ(fields[3], kKimCp949 + " 1");
    EXPECT_EQ(fields[4], kKimCp949);
    EXPECT_EQ(fields[5], kKimCp949);
    EXPECT_EQ(fields[7], kKimCp949);
    const mirelo::LinkField link = mirelo::ParseLinkField(fields[6].value_or(""));
    EXPECT_EQ(link.functionName, kKimCp949);
    EXPECT_EQ(link.openUrl, "http://gw/" + kKimCp949);
    EXPECT_EQ(fields[0], "02") << "ASCII stays ASCII";
}

TEST(PayloadOptionsTest, Cp949RefusesWhatItCannotConvert) {
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "x\xE0\xB8\x81", "--subject", "S", "--cp949"}),
                         "--sender 'x\xE0\xB8\x81' has a character that code page 949 lacks (U+0E01)"));
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", kKimCp949, "--subject", "S", "--cp949"}), "is not UTF-8"));
}

TEST(PayloadOptionsTest, FlagOptions) {
    EXPECT_EQ(Mail({"--urgent"})[8], "1");
    EXPECT_EQ(Mail({"--flag", "3"})[8], "3");
    const DryRun omitted = BuildDry({"mail", "--sender", "K", "--subject", "S", "--no-flag"});
    ASSERT_EQ(omitted.exitCode, kExitOk);
    EXPECT_TRUE(omitted.payload.ends_with(std::string(1, '\0'))) << "present with length 0";
    EXPECT_EQ(mirelo::DecodeFlag(DecodePayload(omitted.payload, mirelo::kMailLayout)[8], 5), 5);
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--urgent", "--flag", "2"}),
                         "--urgent, --flag and --no-flag exclude each other"));
}

TEST(PayloadOptionsTest, FieldOverridesGiveRawBytes) {
    const DryRun run = BuildDry({"bbs", "--poster", "P", "--board", "B", "--title", "T", "--date", "D", "--field",
                                 "4=\\xff\\0z", "--field=9= ", "--field", "0=", "--field", "7=abc"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.payload, std::string("\x00"
                                       "\x01"
                                       "1"
                                       "\x01P"
                                       "\x01"
                                       "B"
                                       "\x03\xff\x00z"
                                       "\x00"
                                       "\x01"
                                       "D"
                                       "\x00\x03"
                                       "abc"
                                       "\x00"
                                       "\x01 ",
                                       22));
    const PayloadFields fields = DecodePayload(run.payload, mirelo::kBbsLayout);
    EXPECT_EQ(mirelo::DecodeFlag(fields[9], 0), 1) << "a blank flag is urgent";
    EXPECT_EQ(BuildDry({"mail", "--subject", "S", "--field", "2=x"}).exitCode, kExitOk) << "an override fills --sender";
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--field", "9=x"}),
                         "--field: expects INDEX=TEXT with INDEX from 0 to 8, not '9=x'"));
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--field", "2"}), "INDEX=TEXT"));
    EXPECT_TRUE(
        Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--field", "2=\\q"}), "unknown escape"));
}

TEST(PayloadOptionsTest, LinkOptions) {
    const mirelo::LinkField typed =
        mirelo::ParseLinkField(Mail({"--function", "F", "--url", "U", "--link-type", "12"})[6].value_or(""));
    EXPECT_EQ(typed.typeNumber, 12);
    EXPECT_EQ(Mail({"--function", "F", "--url", "U", "--link-type", "12"})[6],
              "012\x01"
              "FU");
    const DryRun raw = BuildDry({"mail", "--sender", "K", "--subject", "S", "--link-raw", "30 30 31 00"});
    EXPECT_TRUE(Contains(raw.payload, std::string("\x00\x04"
                                                  "001\0",
                                                  6)))
        << ToHex(raw.payload);
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--function", "F"}),
                         "--function and --url go together"));
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--link-type", "2"}),
                         "--link-type needs --function and --url"));
    EXPECT_TRUE(Contains(
        UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--link-raw", "00", "--function", "F", "--url", "U"}),
        "--link-raw gives the whole link field"));
    UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--link-raw", "0"});
    UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--function", "F", "--url", "U", "--link-type", "1000"});
}

TEST(PayloadOptionsTest, OverlongFieldsAreUsageErrors) {
    const std::string limit(255, 's');
    EXPECT_EQ(Mail({"--subject", limit})[3], limit);
    EXPECT_EQ(UsageErrorOf({"mail", "--sender", "K", "--subject", limit + "s"}),
              "mirelo-send mail: --subject: 256 bytes is too long for field 3 (subject), which holds at most 255 "
              "bytes\nUsage: mirelo-send mail --sender S --subject T [--text X] [options]\n"
              "Try 'mirelo-send mail --help'.\n");
    std::string korean;
    for (int i = 0; i < 128; ++i) korean += kKimUtf8;
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", korean, "--cp949"}),
                         "--subject: 256 bytes in code page 949 is too long for field 3"));
    EXPECT_TRUE(Contains(
        UsageErrorOf({"bbs", "--poster", "P", "--board", "B", "--title", "T", "--field", "9=" + std::string(256, '1')}),
        "--field 9: 256 bytes is too long for field 9 (flag)"));
    EXPECT_TRUE(Contains(
        UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--function", std::string(256, 'f'), "--url", "U"}),
        "--function is 256 bytes; the link holds a function name of at most 255"));
    const std::string longUrl(65535 - 5, 'u');
    EXPECT_EQ(Mail({"--function", "F", "--url", longUrl})[6]->size(), 65535u);
    EXPECT_TRUE(
        Contains(UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--function", "F", "--url", longUrl + "u"}),
                 "--function and --url: 65536 bytes is too long for field 6 (link), which holds at most "
                 "65535 bytes"));
}

TEST(PayloadOptionsTest, RequiredOptionsAndKinds) {
    EXPECT_TRUE(Contains(UsageErrorOf({"mail", "--subject", "S"}), "--sender is required"));
    EXPECT_TRUE(Contains(UsageErrorOf({"bbs", "--poster", "P", "--title", "T"}), "--board is required"));
    EXPECT_TRUE(Contains(UsageErrorOf({"approval", "--doc-kind", "8", "--action", "1", "--subject", "S"}),
                         "--kind is required: 4, 5, 6, 7 or 11"));
    EXPECT_TRUE(
        Contains(UsageErrorOf({"approval", "--kind", "8", "--doc-kind", "8", "--action", "1", "--subject", "S"}),
                 "--kind: expects 4, 5, 6, 7 or 11, not '8'"));
    UsageErrorOf({"approval", "--kind", "4", "--kind", "9", "--doc-kind", "8", "--action", "1", "--subject", "S"});
    UsageErrorOf({"schedule", "--requester", "R", "--subject", "S", "--text", "X"});
    UsageErrorOf({"mail", "--sender", "K", "--subject", "S", "--sub-kind", "-1"});
    EXPECT_EQ(BuildDry({"mail", "--sender", "", "--subject", ""}).exitCode, kExitOk) << "'' is an empty field";
}

TEST(PayloadOptionsTest, FramingOptionsApply) {
    const DryRun plain = BuildDry({"mail", "--sender", "K", "--subject", "S", "--date", "D"});
    const std::string header = *mirelo::BuildHeader(2, static_cast<int>(plain.payload.size()));
    const RunResult extra =
        RunSend({"mail", "--sender", "K", "--subject", "S", "--date", "D", "--extra-bytes", "2", "--dry-run"});
    EXPECT_EQ(extra.out, ToHex(header + plain.payload + "xx") + "\n");
    const RunResult truncated =
        RunSend({"mail", "--sender", "K", "--subject", "S", "--date", "D", "--truncate", "3", "--dry-run"});
    EXPECT_EQ(truncated.out, ToHex(header + plain.payload.substr(0, plain.payload.size() - 3)) + "\n");
    const RunResult replaced =
        RunSend({"mail", "--sender", "K", "--subject", "S", "--date", "D", "--header", "0000009902", "--dry-run"});
    EXPECT_EQ(replaced.out, ToHex("0000009902" + plain.payload) + "\n");
}

}  // namespace
}  // namespace mirelo_send::test
