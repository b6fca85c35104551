// mirelo-send alert: the JSON it sends, built from the members or given raw.

#include <json/json.h>

#include <sstream>

#include <gtest/gtest.h>

#include "payload_test_support.h"

namespace mirelo_send::test {
namespace {

Json::Value ParseJson(const std::string& text) {
    Json::Value root;
    std::istringstream in(text);
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, &errors)) << errors;
    return root;
}

TEST(AlertCommandTest, MembersBecomeOneJsonObject) {
    const DryRun run = BuildDry({"alert", "--title", "화재 훈련", "--message", "Car park, 15:00", "--sender", "Kim",
                                 "--dept", "Facilities", "--job", "Manager", "--date", "20261207093000", "--href",
                                 "http://gw/a?id=3", "--ip", "10.0.0.9", "--emergency-type", "1"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.header.kind, 20);
    EXPECT_EQ(run.header.length, static_cast<int>(run.payload.size()));
    EXPECT_TRUE(Contains(run.payload, "화재 훈련@#Car park"));  // UTF-8 as it is, not escaped
    const Json::Value alert = ParseJson(run.payload);
    EXPECT_EQ(alert["message"].asString(), "화재 훈련@#Car park, 15:00");
    EXPECT_EQ(alert["senderName"].asString(), "Kim");
    EXPECT_EQ(alert["senderDeptName"].asString(), "Facilities");
    EXPECT_EQ(alert["senderJobName"].asString(), "Manager");
    EXPECT_EQ(alert["inDate"].asString(), "20261207093000");
    EXPECT_EQ(alert["href"].asString(), "http://gw/a?id=3");
    EXPECT_EQ(alert["ip"].asString(), "10.0.0.9");
    EXPECT_EQ(alert["emergencyType"].asString(), "1");
}

TEST(AlertCommandTest, OnlyTheMessageLeavesTheOthersOut) {
    const DryRun run = BuildDry({"alert", "--message", "Quote \" and \\ kept"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    const Json::Value alert = ParseJson(run.payload);
    EXPECT_EQ(alert["message"].asString(), "Quote \" and \\ kept");
    EXPECT_EQ(alert["inDate"].asString().size(), 14u);  // now
    EXPECT_EQ(alert.getMemberNames(), (std::vector<std::string>{"inDate", "message"}));
}

TEST(AlertCommandTest, RawJsonGoesAsGiven) {
    const DryRun run = BuildDry({"alert", "--text", "not json {\"message\":\"x\"}"});
    ASSERT_EQ(run.exitCode, kExitOk) << run.err;
    EXPECT_EQ(run.header.kind, 20);
    EXPECT_EQ(run.payload, "not json {\"message\":\"x\"}");
}

TEST(AlertCommandTest, UsageErrors) {
    for (const Args& args :
         {Args{"alert"}, Args{"alert", "--title", "t"}, Args{"alert", "--message", "m", "--text", "{}"}}) {
        const RunResult result = RunSend(args);
        EXPECT_EQ(result.exitCode, kExitUsage) << args.back();
        EXPECT_TRUE(Contains(result.err, "Usage: mirelo-send alert")) << result.err;
    }
    const RunResult help = RunSend({"alert", "--help"});
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_TRUE(Contains(help.out, "--emergency-type")) << help.out;
}

}  // namespace
}  // namespace mirelo_send::test
