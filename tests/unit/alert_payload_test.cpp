#include "store/alert_payload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/code_page_posix.h"
#include "korean_text.h"
#include "store/payload_text.h"

namespace mirelo {
namespace {

struct Parsed {
    AlertRecord record;
    std::vector<std::string> log;
};

Parsed Parse(
    std::string_view payload, const AnsiConverter& toAnsi = [](std::string_view t) { return std::string(t); }) {
    Parsed parsed;
    ParseAlert(parsed.record, payload, toAnsi, [&](const std::string& line) { parsed.log.push_back(line); });
    return parsed;
}

bool Logged(const Parsed& parsed, const std::string& line) {
    return std::find(parsed.log.begin(), parsed.log.end(), line) != parsed.log.end();
}

TEST(AlertPayload, TheMeetingExample) {
    const Parsed p =
        Parse(R"({"href":"http://gw/a?id=1","message":"Meeting@#Room 3","senderName":"Clerk","senderDeptName":"Sales",)"
              R"("senderJobName":"Manager","inDate":"20161025093000","ip":"10.0.0.9","emergencyType":"2"})");
    EXPECT_EQ(p.record.title, "Meeting");  // the character before "@#" goes only when it is a blank
    EXPECT_EQ(p.record.message, "Room 3");
    EXPECT_EQ(p.record.senderName, "Sales Clerk Manager");
    EXPECT_EQ(p.record.inDate, "2016.10.25 09:30:00");
    EXPECT_EQ(p.record.href, "http://gw/a?id=1");
    EXPECT_EQ(p.record.ip, "10.0.0.9");
    EXPECT_EQ(p.record.senderJobName, "Manager");
    EXPECT_EQ(p.record.senderDeptName, "Sales");
    EXPECT_EQ(p.record.keyValues.at(".emergencyType"), "2");
    EXPECT_EQ(p.record.keyValues.size(), 8u);
    EXPECT_EQ(p.record.forwardCode, 0);
    EXPECT_EQ(p.record.linkType, 0);
}

TEST(AlertPayload, TitleSplit) {
    const struct {
        const char* message;
        const char* title;
        const char* rest;
    } cases[] = {
        {"Title @#Body", "Title", "Body"},
        {"Meeting@#Room 3", "Meeting", "Room 3"},
        {"no separator", "", "no separator"},
        {"@#only body", "", "only body"},
        {"a @#b@#c", "a", "b@#c"},
        {" @#x", "", "x"},
    };
    for (const auto& c : cases) {
        std::string message = c.message;
        std::string title;
        SplitAlertTitle(message, title);
        EXPECT_EQ(title, c.title) << c.message;
        EXPECT_EQ(message, c.rest) << c.message;
    }
}

TEST(AlertPayload, DatesOfAnyLength) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"20161025093000", "2016.10.25 09:30:00"},
        {"201610250930", "2016.16.10 25:09:30"},  // parts counted from the end
        {"2016", "2016.20.20 20:20:16"},
        {"7", "7.7.7 7:7:7"},
        {"", ""},
        {"2016년10월25일", "2016.01.6년 10:월2:5일"},  // by character, never inside one
    };
    for (const auto& c : cases) EXPECT_EQ(FormatAlertDate(c.in), c.out) << c.in;
}

TEST(AlertPayload, TheObjectCut) {
    const struct {
        const char* in;
        const char* cut;
    } cases[] = {
        {R"(noise {"a":1} tail})", R"({"a":1})"},
        {R"({"a":{"b":1},"c":2}{"d":3})", R"({"a":{"b":1},"c":2})"},
        {R"({"a":"}{\"}"} x)", R"({"a":"}{\"}"})"},
        {R"(no braces)", ""},
        {R"(only } closing)", ""},
        {R"({"never":"closed")", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CutJsonObject(c.in), c.cut) << c.in;
}

TEST(AlertPayload, HrefWithKStaysAsSent) {
    const Parsed p = Parse(R"({"href":"http://gw/a?x=1&K=lee","message":"m"})");
    EXPECT_EQ(p.record.href, "http://gw/a?x=1&K=lee");
}

TEST(AlertPayload, ANestedObjectFirstCapturesNothing) {
    const Parsed p = Parse(R"({"inner":{"href":"http://gw/x","message":"m"},"message":"top"})");
    EXPECT_EQ(p.record.href, "");
    EXPECT_EQ(p.record.message, "top");
    EXPECT_TRUE(Logged(p, "String Value! .inner.href=\"http://gw/x\"\n"));
    // A member with an empty name does not lift its members to the top level.
    const Parsed q = Parse(R"({"":{"href":"http://gw/y"}})");
    EXPECT_TRUE(Logged(q, "String Value! .href=\"http://gw/y\"\n"));
    EXPECT_EQ(q.record.href, "");
}

TEST(AlertPayload, EveryNodeIsLoggedInSortedOrder) {
    const Parsed p = Parse(R"x({"z":1,"message":["a",true,null],"ip":-5,"big":4000000000,"r":0.5,"n":{"k":false}})x");
    const std::vector<std::string> nodes(p.log.begin() + 1, p.log.end());  // after the object text
    EXPECT_EQ(nodes, (std::vector<std::string>{".={}\n", ".big=4000000000\n", ".ip=-5\n", ".message=[]\n",
                                               "String Value! .message[0]=\"a\"\n", ".message[1]=true\n",
                                               ".message[2]=null\n", ".n={}\n", ".n.k=false\n", ".r=0.5\n", ".z=1\n"}));
    EXPECT_TRUE(p.record.keyValues.empty());  // non-string members are not captured
    EXPECT_EQ(p.record.message, "");
    EXPECT_EQ(p.log.front(), R"x({"z":1,"message":["a",true,null],"ip":-5,"big":4000000000,"r":0.5,"n":{"k":false}})x"
                             "\n");
}

TEST(AlertPayload, BadInputGivesAnEmptyRecord) {
    // Within the size limit but far deeper than the parser goes.
    const std::string deep = std::string(30000, '[') + std::string(30000, ']');
    const std::string deepObject = "{\"message\":\"kept\",\"a\":" + deep + "}";
    std::string deepest;
    for (int i = 0; i < 100000; ++i) deepest += "{\"a\":";
    deepest += "1" + std::string(100000, '}');
    const std::string huge = R"({"message":")" + std::string(1 << 20, 'x') + "\"}";
    const auto tooLong = [](const std::string& text) {
        return "alert: JSON object of " + std::to_string(text.size()) + " bytes is too long, not read\n";
    };
    const struct {
        std::string payload;
        const char* message;
        std::string note;  // a log line the case writes
    } cases[] = {
        {"", "", ".=null\n"},
        {"no braces at all", "", ".=null\n"},
        {R"({"message":"x",)", "", ".=null\n"},                       // never closed: nothing cut
        {R"({"message":"cut"]})", "cut", "alert: not valid JSON\n"},  // read up to the error
        {huge, "", tooLong(huge)},
        {deepest, "", tooLong(deepest)},
        {deepObject, "kept", "alert: JSON nested deeper than 64 levels, read up to there\n"},
        {"{" + std::string(20000, '{') + std::string(20001, '}'), "", "alert: not valid JSON\n"},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.payload);
        EXPECT_EQ(p.record.message, c.message) << c.payload.substr(0, 40);
        EXPECT_EQ(p.record.title, "");
        EXPECT_EQ(p.record.inDate, "");
        EXPECT_EQ(p.record.senderName, "  ");
        EXPECT_TRUE(Logged(p, c.note)) << c.payload.substr(0, 40);
        EXPECT_LE(p.log.size(), kMaxLoggedAlertNodes + 8);
    }
}

TEST(AlertPayload, ManyNodesAreLoggedUpToTheCap) {
    std::string array = R"({"a":[)";
    for (int i = 0; i < 3000; ++i) array += "0,";
    array += R"(0],"message":"after"})";
    const Parsed p = Parse(array);
    EXPECT_EQ(p.record.message, "after");  // the walk goes on past the logged nodes
    EXPECT_TRUE(Logged(p, "alert: 2004 more nodes not logged\n"));
    EXPECT_EQ(p.log.size(), 1 + kMaxLoggedAlertNodes + 1);
}

TEST(AlertPayload, TextComesInTheAnsiCodePage) {
    const IconvCodec codec("CP949");
    const AnsiConverter toAnsi = [&](std::string_view text) { return ReadPayloadText(text, 1, codec); };
    const Parsed p = Parse(
        "{\"message\":\"회의 @#3층 회의실\",\"senderName\":\"김민지\",\"senderDeptName\":\"\\uc601\\uc5c5\","
        "\"senderJobName\":\"bad \xff\xfe end\"}",
        toAnsi);
    EXPECT_EQ(p.record.title, testing::Cp949("회의"));
    EXPECT_EQ(p.record.message, testing::Cp949("3층 회의실"));
    // An escaped character arrives like a written one; bytes that are not UTF-8 become '?'.
    EXPECT_EQ(p.record.senderName, testing::Cp949("영업 김민지 bad ?? end"));
    EXPECT_TRUE(Logged(p, testing::Cp949("String Value! .senderName=\"김민지\"\n")));
}

TEST(AlertPayload, ResetKeepsTheIpAndTheIntegers) {
    AlertRecord record;
    record.keyValues[".ip"] = "1";
    record.ip = "10.0.0.1";
    record.message = "m";
    record.title = "t";
    record.forwardCode = 3;
    ResetAlert(record);
    EXPECT_TRUE(record.keyValues.empty());
    EXPECT_EQ(record.ip, "10.0.0.1");
    EXPECT_EQ(record.message, "");
    EXPECT_EQ(record.title, "");
    EXPECT_EQ(record.forwardCode, 3);
}

}  // namespace
}  // namespace mirelo
