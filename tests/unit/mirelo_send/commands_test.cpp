// Every command run in-process: help, usage errors, and what --dry-run says would be sent.

#include <gtest/gtest.h>

#include "test_support.h"

namespace mirelo_send::test {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CommandsTest, ToolHelpListsCommandsKindsAndExitCodes) {
    const RunResult result = RunSend({"--help"});
    EXPECT_EQ(result.exitCode, kExitOk);
    for (const Command* command : Commands()) EXPECT_TRUE(Contains(result.out, "  " + std::string(command->name)));
    EXPECT_TRUE(Contains(result.out, "kind = N mod 100, length = N div 100"));
    EXPECT_TRUE(Contains(result.out, "98 XML batch"));
    EXPECT_TRUE(Contains(result.out, "Exit codes:"));
}

TEST(CommandsTest, EveryCommandHasHelp) {
    for (const Command* command : Commands()) {
        const RunResult asked = RunSend({std::string(command->name), "--help"});
        EXPECT_EQ(asked.exitCode, kExitOk) << command->name;
        EXPECT_TRUE(asked.out.starts_with("Usage: mirelo-send " + std::string(command->name))) << command->name;
        EXPECT_EQ(RunSend({"help", std::string(command->name)}).out, asked.out);
    }
}

TEST(CommandsTest, UsageErrorsExitWithTwoAndAHint) {
    const std::vector<Args> wrong = {
        {},
        {"bogus"},
        {"raw", "--text", "x"},                                // no kind
        {"raw", "--kind", "2"},                                // no payload
        {"raw", "--kind", "2", "--text", "x", "--hex", "00"},  // two payloads
        {"raw", "--kind", "100", "--text", "x"},
        {"raw", "--kind", "2", "--hex", "0"},
        {"raw", "--kind", "2", "--text", "x", "--chunk", "4"},  // chunks need --tcp
        {"raw", "--kind", "2", "--text", "x", "--port", "0"},
        {"raw", "--kind", "2", "--text", "x", "stray"},
        {"raw", "--header", "h", "--no-header", "--text", "x"},
        {"end", "--repeat", "0"},
        {"messenger"},
        {"messenger", "0NLN"},
        {"messenger", "@0NLN", "--tcp"},
        {"messenger", "@U", "x"},
        {"messenger", "@U\\q"},
        {"messenger", "@0NLN", "--user-signin", "kim", "http://x"},
        {"listen", "--format", "xml"},
        {"listen", "--count", "0"},
    };
    for (const Args& args : wrong) {
        const RunResult result = RunSend(args);
        EXPECT_EQ(result.exitCode, kExitUsage) << testing::PrintToString(args);
        EXPECT_TRUE(Contains(result.err, "--help")) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(CommandsTest, RawDryRunPrintsHeaderAndPayload) {
    EXPECT_EQ(RunSend({"raw", "--kind", "2", "--text", "hi", "--dry-run"}).out, "303030303030303230326869\n");
    EXPECT_EQ(RunSend({"raw", "--kind", "10", "--hex", "00 ff", "--dry-run", "--repeat", "2"}).out,
              "3030303030303032313000ff\n3030303030303032313000ff\n");
    EXPECT_EQ(RunSend({"raw", "--kind", "3", "--stdin", "--dry-run"}, "abc").out, "30303030303030333033616263\n");
}

TEST(CommandsTest, RawMalformedOptions) {
    EXPECT_EQ(RunSend({"raw", "--header", "0000000x02", "--text", "a", "--dry-run"}).out, "3030303030303078303261\n");
    EXPECT_EQ(RunSend({"raw", "--no-header", "--text", "@x", "--dry-run"}).out, "4078\n");
    EXPECT_EQ(RunSend({"raw", "--kind", "2", "--text", "a", "--extra-bytes", "1", "--dry-run"}).out,
              "303030303030303130326178\n");
    EXPECT_EQ(RunSend({"raw", "--kind", "2", "--text", "ab", "--truncate", "1", "--dry-run"}).out,
              "3030303030303032303261\n");
}

TEST(CommandsTest, RawNotesXmlBatchOverUdp) {
    const RunResult result = RunSend({"raw", "--kind", "98", "--text", "<x/>", "--dry-run"});
    EXPECT_EQ(result.exitCode, kExitOk);
    EXPECT_TRUE(Contains(result.err, "only over TCP"));
    EXPECT_EQ(RunSend({"raw", "--kind", "98", "--text", "<x/>", "--dry-run", "--tcp"}).err, "");
}

TEST(CommandsTest, UnreadablePayloadFileExitsWithThree) {
    RunResult result = RunSend({"raw", "--kind", "2", "--file", "/nonexistent/mail.bin"});
    EXPECT_EQ(result.exitCode, kExitInput);
    EXPECT_TRUE(Contains(result.err, "'/nonexistent/mail.bin': No such file or directory"));
    result = RunSend({"raw", "--kind", "2", "--file", "/"});
    EXPECT_EQ(result.exitCode, kExitInput);
    EXPECT_TRUE(Contains(result.err, "Is a directory"));
}

TEST(CommandsTest, EndIsHeaderNinetyNine) { EXPECT_EQ(RunSend({"end", "--dry-run"}).out, "30303030303030303939\n"); }

TEST(CommandsTest, MessengerTexts) {
    const std::string signin = "40556b696d00687474703a2f2f78\n";  // "@Ukim", NUL, "http://x"
    EXPECT_EQ(RunSend({"messenger", "--user-signin", "kim", "http://x", "--dry-run"}).out, signin);
    EXPECT_EQ(RunSend({"messenger", "@Ukim\\0http://x", "--dry-run"}).out, signin);
    EXPECT_EQ(RunSend({"messenger", "--nul-separated", "@Ukim", "http://x", "--dry-run"}).out, signin);
    EXPECT_EQ(RunSend({"messenger", "@0NLN", "--dry-run"}).out, "40304e4c4e\n");
    EXPECT_EQ(RunSend({"messenger", "--literal", "@a\\0", "--dry-run"}).out, "40615c30\n");
    EXPECT_EQ(RunSend({"messenger", "@", "--dry-run"}).out, "40\n");
}

}  // namespace
}  // namespace mirelo_send::test
