// The payload builders (bbs, mail, schedule, approval): what they send decodes back to the options.

#include <sys/socket.h>

#include <regex>

#include <gtest/gtest.h>

#include "payload_builder.h"
#include "payload_test_support.h"
#include "popups/payload_codec.h"
#include "text_encoding.h"

namespace mirelo_send::test {
namespace {

using mirelo::DecodePayload;
using mirelo::LinkField;
using mirelo::ParseLinkField;
using mirelo::PayloadFields;

void ExpectLink(const std::optional<std::string>& field, int type, const std::string& function,
                const std::string& url) {
    ASSERT_TRUE(field.has_value());
    const LinkField link = ParseLinkField(*field);
    EXPECT_EQ(link.typeNumber, type);
    EXPECT_EQ(link.functionName, function);
    EXPECT_EQ(link.openUrl, url);
}

TEST(PayloadCommandsTest, BbsDecodesToItsOptions) {
    const DryRun run = BuildDry({"bbs",
                                 "--poster",
                                 "Kim",
                                 "--board",
                                 "Notices",
                                 "--title",
                                 "Office move",
                                 "--text",
                                 "body",
                                 "--date",
                                 "2026-12-07 09:30",
                                 "--function",
                                 "OpenBbs",
                                 "--url",
                                 "http://gw/bbs?id=42",
                                 "--link-type",
                                 "7",
                                 "--sub-kind",
                                 "2",
                                 "--recipients",
                                 "Lee, Park",
                                 "--urgent"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.header, (mirelo::MessageHeader{1, static_cast<int>(run.payload.size())}));
    const PayloadFields fields = DecodePayload(run.payload, mirelo::kBbsLayout);
    EXPECT_EQ(fields, (PayloadFields{"01", "2", "Kim", "Notices", "Office move", "body", "2026-12-07 09:30", fields[7],
                                     "Lee, Park", "1"}));
    ExpectLink(fields[7], 7, "OpenBbs", "http://gw/bbs?id=42");
}

TEST(PayloadCommandsTest, MailDecodesToItsOptions) {
    const DryRun run = BuildDry({"mail", "--sender", "Kim", "--subject", "Report", "--date", "2026-12-07 09:30",
                                 "--function", "OpenMail", "--url", "http://gw/mail?id=7", "--flag", "3"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.header.kind, 2);
    const PayloadFields fields = DecodePayload(run.payload, mirelo::kMailLayout);
    EXPECT_EQ(fields, (PayloadFields{"02", "1", "Kim", "Report", std::nullopt, "2026-12-07 09:30", fields[6],
                                     std::nullopt, "3"}));
    ExpectLink(fields[6], 1, "OpenMail", "http://gw/mail?id=7");
}

TEST(PayloadCommandsTest, ScheduleDecodesToItsOptions) {
    const DryRun run =
        BuildDry({"schedule", "--requester", "Kim", "--subject", "Design review", "--date", "2026-12-08 14:00",
                  "--function", "OpenGs", "--url", "http://gw/gs", "--sub-kind", "2", "--recipients", "Lee"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.header.kind, 3);
    const PayloadFields fields = DecodePayload(run.payload, mirelo::kScheduleLayout);
    EXPECT_EQ(fields, (PayloadFields{"03", "2", "Kim", "Design review", "2026-12-08 14:00", fields[5], "Lee", "0"}));
    ExpectLink(fields[5], 1, "OpenGs", "http://gw/gs");
}

TEST(PayloadCommandsTest, ApprovalDecodesToItsOptionsForEveryKind) {
    for (const int kind : {4, 5, 6, 7, 11}) {
        const DryRun run = BuildDry({"approval",
                                     "--kind",
                                     std::to_string(kind),
                                     "--doc-kind",
                                     "C",
                                     "--action",
                                     "2",
                                     "--drafter",
                                     "Kim",
                                     "--processor",
                                     "Lee",
                                     "--subject",
                                     "Budget",
                                     "--date",
                                     "2026-12-07 09:30",
                                     "--sub-kind",
                                     "300",
                                     "--function",
                                     "OpenSanc",
                                     "--url",
                                     "http://gw/sanc?id=9&K=kim",
                                     "--recipients",
                                     "Park",
                                     "--urgent"});
        ASSERT_EQ(run.exitCode, kExitOk) << run.err;
        EXPECT_EQ(run.header.kind, kind);
        const PayloadFields fields = DecodePayload(run.payload, mirelo::kApprovalLayout);
        const std::string code = (kind < 10 ? "0" : "") + std::to_string(kind);
        EXPECT_EQ(fields, (PayloadFields{code, "C", "2", "Kim", "Lee", "Budget", "2026-12-07 09:30", "300", fields[8],
                                         "Park", "1"}));
        ExpectLink(fields[8], 1, "OpenSanc", "http://gw/sanc?id=9&K=kim");
    }
}

TEST(PayloadCommandsTest, DefaultsMakeARealisticNotification) {
    const DryRun run = BuildDry({"mail", "--sender", "Kim", "--subject", "Lunch"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const PayloadFields fields = DecodePayload(run.payload, mirelo::kMailLayout);
    EXPECT_EQ(fields[0], "02");
    EXPECT_EQ(fields[1], "1");
    ASSERT_TRUE(fields[5].has_value());
    EXPECT_TRUE(std::regex_match(*fields[5], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d)"))) << *fields[5];
    EXPECT_EQ(fields[6], std::nullopt) << "no link: View stays hidden";
    EXPECT_EQ(fields[8], "0") << "not urgent";
    EXPECT_EQ(mirelo::DecodeFlag(fields[8], 5), 0);
}

TEST(PayloadCommandsTest, DryRunPrintsHeaderAndPayloadAsHex) {
    const RunResult result = RunSend({"schedule", "--requester", "K", "--subject", "S", "--date", "D", "--function",
                                      "f", "--url", "u", "--dry-run"});
    const std::string payload(
        "\x02"
        "03"
        "\x01"
        "1"
        "\x01"
        "K"
        "\x01"
        "S"
        "\x01"
        "D"
        "\x00\x06"
        "001\x01"
        "fu"
        "\x00"
        "\x01"
        "0",
        22);
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(result.out, ToHex("0000002203" + payload) + "\n");
}

TEST(PayloadCommandsTest, KindTablesMatchTheLayouts) {
    for (const PayloadKind* kind :
         {&kBbsKind, &kMailKind, &kScheduleKind, &kApprovalKind, &kMessageKind, &kNoticeKind}) {
        ASSERT_EQ(static_cast<int>(kind->fields.size()), kind->layout.fieldCount) << kind->command->name;
        for (std::size_t i = 0; i < kind->fields.size(); ++i) {
            EXPECT_EQ(kind->fields[i].role == FieldRole::Link, static_cast<int>(i) == kind->layout.linkIndex);
        }
    }
}

TEST(PayloadCommandsTest, HelpListsEveryFieldInOrder) {
    for (const PayloadKind* kind :
         {&kBbsKind, &kMailKind, &kScheduleKind, &kApprovalKind, &kMessageKind, &kNoticeKind}) {
        const std::string help = RunSend({std::string(kind->command->name), "--help"}).out;
        std::size_t at = help.find("Payload fields");
        ASSERT_NE(at, std::string::npos);
        for (std::size_t i = 0; i < kind->fields.size(); ++i) {
            at = help.find(std::to_string(i) + "  " + std::string(FieldName(kind->fields[i])), at);
            EXPECT_NE(at, std::string::npos) << kind->command->name << " field " << i;
        }
        EXPECT_TRUE(Contains(help, "--cp949"));
        EXPECT_TRUE(Contains(help, "--field I=TEXT"));
        EXPECT_TRUE(Contains(help, "--extra-bytes N"));
        EXPECT_TRUE(Contains(help, "--tcp"));
    }
    EXPECT_TRUE(Contains(RunSend({"approval", "--help"}).out, "--kind K"));
    EXPECT_TRUE(Contains(RunSend({"message", "--help"}).out, "--kind K"));
    const std::string notice = RunSend({"notice", "--help"}).out;
    for (const char* option : {"--animated", "--header H", "--icon FILE", "--text1 .. --text4"}) {
        EXPECT_TRUE(Contains(notice, option)) << option;
    }
}

TEST(PayloadCommandsTest, MessageDecodesToItsOptionsWithCrLfLineBreaks) {
    for (const char* kind : {"8", "9"}) {
        const DryRun run =
            BuildDry({"message", "--kind", kind, "--title", "T", "--sender", "Kim", "--subject", "S", "--icon", "2",
                      "--body", "one\ntwo\r\nthree", "--date", "D", "--function", "f", "--url", "http://gw/m"});
        ASSERT_EQ(run.exitCode, kExitOk) << run.err;
        EXPECT_EQ(run.header.kind, std::stoi(kind));
        const PayloadFields fields = DecodePayload(run.payload, mirelo::kMessageLayout);
        EXPECT_EQ(fields, (PayloadFields{std::string("0") + kind, "T", "Kim", "S", "2", "one\r\ntwo\r\nthree", "D",
                                         fields[7]}));
        ExpectLink(fields[7], 1, "f", "http://gw/m");
    }
    const std::string large(60000, 'x');
    const DryRun big = BuildDry({"message", "--kind", "8", "--subject", "S", "--body", large});
    ASSERT_EQ(big.exitCode, kExitOk) << big.err;
    EXPECT_EQ(DecodePayload(big.payload, mirelo::kMessageLayout)[5], large);
    EXPECT_EQ(BuildDry({"message", "--kind", "8", "--subject", "S", "--body", std::string(65536, 'x')}).exitCode,
              kExitUsage);
    EXPECT_EQ(BuildDry({"message", "--subject", "S"}).exitCode, kExitUsage);
}

TEST(PayloadCommandsTest, NoticeAsTextAndAsAnimatedNotifier) {
    const DryRun text = BuildDry({"notice", "--sender", "Lee", "--text", "Closed", "--date", "D", "--urgent"});
    ASSERT_EQ(text.exitCode, kExitOk) << text.err;
    EXPECT_EQ(text.header.kind, 10);
    EXPECT_EQ(DecodePayload(text.payload, mirelo::kNoticeLayout),
              (PayloadFields{"10", "1", "Lee", "Closed", "D", std::nullopt, "1"}));

    const DryRun animated = BuildDry({"notice", "--sender", "Lee", "--animated", "--urgent", "--header", "H", "--icon",
                                      "gsavi.avi", "--text2", "two"});
    ASSERT_EQ(animated.exitCode, kExitOk) << animated.err;
    const PayloadFields fields = DecodePayload(animated.payload, mirelo::kNoticeLayout);
    EXPECT_EQ(fields[3], "HEADER:H\nICON:gsavi.avi\nTEXT2:two\n");
    EXPECT_EQ(fields[6], "3");
    EXPECT_EQ(DecodePayload(BuildDry({"notice", "--sender", "s", "--animated"}).payload, mirelo::kNoticeLayout)[6],
              "2");

    // A description past 255 bytes continues in the sender field, in front of the sender.
    const std::string row(200, 'r');
    const DryRun longer = BuildDry({"notice", "--sender", "Lee", "--animated", "--text1", row, "--text2", row});
    ASSERT_EQ(longer.exitCode, kExitOk) << longer.err;
    const PayloadFields split = DecodePayload(longer.payload, mirelo::kNoticeLayout);
    EXPECT_EQ(split[3]->size(), 255u);
    EXPECT_EQ(*split[3] + *split[2], "TEXT1:" + row + "\nTEXT2:" + row + "\nLee");

    EXPECT_EQ(BuildDry({"notice", "--sender", "s", "--header", "H"}).exitCode, kExitUsage);
    EXPECT_EQ(BuildDry({"notice", "--sender", "s", "--animated", "--text", "t", "--header", "H"}).exitCode, kExitUsage);
    EXPECT_EQ(BuildDry({"notice", "--sender", "s", "--animated", "--no-flag"}).exitCode, kExitUsage);
}

TEST(PayloadCommandsTest, FittingPrefixCutsBetweenCharactersOfWhatIsSent) {
    const struct {
        const char* text;
        std::size_t limit;
        const char* codePage;
        std::size_t prefix;
    } cases[] = {
        {"abc", 2, "", 2},
        {"\xea\xb0\x80\xeb\x82\x98", 4, "", 3},       // "가나": 3 bytes each in UTF-8
        {"\xea\xb0\x80\xeb\x82\x98", 4, "CP949", 6},  // 2 bytes each in code page 949
        {"\xea\xb0\x80\xeb\x82\x98", 3, "CP949", 3},
        {"a\xea\xb0\x80", 2, "CP949", 1},
        {"\xf0\x9f\x98\x80"
         "a",
         3, "", 0},  // a 4-byte character does not fit in 3
        {"\xff"
         "a",
         1, "", 1},              // a stray byte is one character
        {"\xea\xb0", 5, "", 2},  // so is each byte of a cut sequence
        {"", 5, "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FittingPrefix(c.text, c.limit, c.codePage), c.prefix) << c.text << " " << c.limit << c.codePage;
    }
}

TEST(PayloadCommandsTest, ANoticeDescriptionSpillsIntoTheSenderBetweenCharacters) {
    std::string korean;
    for (int i = 0; i < 150; ++i) korean += "\xea\xb0\x80";  // "가"
    const std::string full = "TEXT1:ab" + korean + "\nLee";
    const struct {
        bool cp949;
        std::size_t textBytes;  // what field 3 keeps: whole characters only
    } cases[] = {{false, 8 + 246}, {true, 8 + 246}};
    for (const auto& c : cases) {
        Args args = {"notice", "--sender", "Lee", "--animated", "--text1", "ab" + korean};
        if (c.cp949) args.push_back("--cp949");
        const DryRun run = BuildDry(args);
        ASSERT_EQ(run.exitCode, kExitOk) << run.err;
        const PayloadFields fields = DecodePayload(run.payload, mirelo::kNoticeLayout);
        EncodeFailure failure;
        const std::string sent = c.cp949 ? EncodeExactly(full, "CP949", &failure).value_or("") : full;
        EXPECT_EQ(fields[3], sent.substr(0, c.textBytes)) << c.cp949;
        EXPECT_EQ(fields[2], sent.substr(c.textBytes)) << c.cp949;
    }
}

TEST(PayloadCommandsTest, SendsOverUdpAndTcp) {
    UdpPeer udp;
    RunResult result = RunSend(
        {"mail", "--sender", "Kim", "--subject", "Hi", "--date", "D", "--port", std::to_string(udp.Port()), "--quiet"});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    const std::optional<std::string> datagram = udp.Receive();
    ASSERT_TRUE(datagram.has_value());
    EXPECT_TRUE(
        datagram->starts_with("0000002002\x02"
                              "02"))
        << *datagram;

    TcpPeer tcp;
    result = RunSend({"approval", "--kind", "11", "--doc-kind", "8", "--action", "1", "--subject", "Budget", "--tcp",
                      "--port", std::to_string(tcp.Port()), "--quiet"});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    const std::string message = Join(tcp.Reads());
    ASSERT_GE(message.size(), mirelo::kHeaderSize);
    EXPECT_EQ(mirelo::ParseHeader(message.substr(0, mirelo::kHeaderSize)).kind, 11);
    EXPECT_EQ(DecodePayload(message.substr(mirelo::kHeaderSize), mirelo::kApprovalLayout)[5], "Budget");
}

}  // namespace
}  // namespace mirelo_send::test
