#include "reception/xml_batch.h"

#include <gtest/gtest.h>

#include <random>

#include "core/code_page_posix.h"
#include "libxml2_check.h"
#include "malformed_xml.h"
#include "store/euc_kr.h"

namespace mirelo {
namespace {

const IconvCodec kKorean("CP949");

std::vector<std::string> Lines(const std::string& payload) { return BatchRecordLines(payload, "key1", kKorean); }
std::vector<NotificationRecord> Records(const std::string& payload) { return BatchRecords(payload, "key1", kKorean); }

TEST(XmlBatch, TwoNotificationsInDocumentOrderWithTheApprovalRules) {
    const std::vector<NotificationRecord> records = Records(
        "<?xml version=\"1.0\" encoding=\"EUC-KR\"?><list>"
        "<notify type=\"2\"><sender>Kim</sender><subject>Mail</subject><flag>1</flag><date>d1</date>"
        "<function-name>openMail</function-name><openurl>http://gw/m?a=1&amp;b=2</openurl></notify>"
        "<notify type=\"5\"><sender>ignored</sender><subject>Draft</subject><flag>0</flag><date>d2</date>"
        "<function-name>openSanc</function-name><openurl>u</openurl><decision-user>Lee</decision-user>"
        "<upload-user>Park</upload-user><doc-type>3</doc-type></notify></list>");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, 2);
    EXPECT_EQ(records[0].sender, "Kim");
    EXPECT_EQ(records[0].subject, "Mail");
    EXPECT_EQ(records[0].flag, 1);
    EXPECT_EQ(records[0].openUrl, "http://gw/m?a=1&b=2");
    EXPECT_EQ(records[0].docType, 0);
    EXPECT_EQ(records[1].kind, 5);
    EXPECT_EQ(records[1].sender, "Lee");
    EXPECT_EQ(records[1].docType, 3);
    EXPECT_EQ(records[1].functionName, "openSanc");
}

TEST(XmlBatch, TheUploadUserStandsInForAMissingDecisionUser) {
    EXPECT_EQ(Lines("<l><notify type=\"4\"><sender>s</sender><decision-user></decision-user>"
                    "<upload-user>Park</upload-user></notify></l>"),
              (std::vector<std::string>{"4\tkey1\t0\t \t \tPark\t \t \t0\t0"}));
    EXPECT_EQ(Lines("<l><notify type=\"7\"><sender>s</sender></notify></l>"),
              (std::vector<std::string>{"7\tkey1\t0\t \t \t \t \t \t0\t0"}));
}

TEST(XmlBatch, AMessageTakesItsTitleAsSubject) {
    const auto records =
        Records("<l><notify type=\"8\"><subject></subject><title>Hi there</title><sender>Choi</sender></notify></l>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].subject, "Hi there");
    EXPECT_EQ(records[0].sender, "Choi");
}

TEST(XmlBatch, AMissingDateIsABlankAndTheLaterFieldsStayInPlace) {
    const auto records = Records(
        "<l><notify type=\"1\"><sender>Kim</sender><subject>Post</subject>"
        "<openurl>http://gw/b</openurl></notify></l>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].date, " ");
    EXPECT_EQ(records[0].subject, "Post");
    EXPECT_EQ(records[0].sender, "Kim");
    EXPECT_EQ(records[0].functionName, " ");
    EXPECT_EQ(records[0].openUrl, "http://gw/b");
}

TEST(XmlBatch, NestedNotifyElementsAreFoundAndSearchedAtAnyDepth) {
    const auto lines = Lines(
        "<root><group><inner><notify type=\"3\"><detail><sender>Deep</sender></detail>"
        "</notify></inner></group><notify type=\"10\"/></root>");
    EXPECT_EQ(lines,
              (std::vector<std::string>{"3\tkey1\t0\t \t \tDeep\t \t \t0\t0", "10\tkey1\t0\t \t \t \t \t \t0\t0"}));
}

TEST(XmlBatch, ANotifyInsideANotifyLendsItsFieldsToTheOuterOne) {
    const auto lines = Lines(
        "<r><notify type=\"2\"><notify type=\"1\"><sender>In</sender></notify>"
        "<subject>Out</subject></notify></r>");
    EXPECT_EQ(lines,
              (std::vector<std::string>{"2\tkey1\t0\t \tOut\tIn\t \t \t0\t0", "1\tkey1\t0\t \t \tIn\t \t \t0\t0"}));
}

TEST(XmlBatch, MalformedXmlGivesNothing) {
    EXPECT_TRUE(Lines("<l><notify type=\"2\"><sender>Kim</sender></l>").empty());
    EXPECT_TRUE(Lines("").empty());
    EXPECT_TRUE(Lines(std::string("\x00\x01\xFF<notify", 8)).empty());
}

// Each batch holds a good notify element and breaks one rule: nothing of it is taken, and the reason
// names the parser's finding and where it is.
TEST(XmlBatch, EveryWellFormednessFaultRejectsTheWholeBatch) {
    const std::string good = "<notify type=\"2\"><sender>Kim</sender><subject>s</subject></notify>";
    ASSERT_EQ(Lines("<list>" + good + "</list>").size(), 1u);
    for (const Malformed& fault : MalformedCases()) {
        const std::string payload = fault.head + "<list>" + good + fault.inner + "</list>" + fault.tail;
        std::string rejected;
        EXPECT_TRUE(BatchRecords(payload, "key1", kKorean, &rejected).empty()) << fault.rule;
        EXPECT_NE(LibXml2ComplaintAboutText(payload), "") << fault.rule;
        EXPECT_NE(rejected.find(" at line 1, column "), std::string::npos) << fault.rule << ": " << rejected;
    }
}

TEST(XmlBatch, TheReasonNamesTheParsersFindingAndPosition) {
    std::string rejected;
    BatchRecordLines("<l>\n<notify type=\"2\"><sender>Kim&#1;Lee</sender></notify></l>", "k", kKorean, &rejected);
    EXPECT_EQ(rejected, "reference to invalid character number at line 2, column 29 (byte 32)");
    BatchRecordLines("<l><notify type=\"2\"/></l>", "k", kKorean, &rejected);
    EXPECT_EQ(rejected, "");
}

TEST(XmlBatch, InternalEntitiesAndDefaultAttributesAreApplied) {
    const auto records = Records(
        "<?xml version=\"1.0\"?><!DOCTYPE list [<!ENTITY co \"Quillon &#38;amp; Co\"><!ENTITY url "
        "\"http://gw/?a=1&#38;amp;b=2\"><!ATTLIST notify type CDATA \"3\">]><list><notify>"
        "<sender>&co;</sender><openurl>&url;</openurl></notify></list>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, 3);
    EXPECT_EQ(records[0].sender, "Quillon & Co");
    EXPECT_EQ(records[0].openUrl, "http://gw/?a=1&b=2");
}

TEST(XmlBatch, TextIsReadAsTheDomReadsIt) {
    // The first child node counts: a CDATA section, a comment or text before an element.
    EXPECT_EQ(Lines("<l><notify type=\"1\"><sender><![CDATA[<Kim>]]> tail</sender><subject><!--c-->s</subject>"
                    "<date>d<b/>e</date></notify></l>"),
              (std::vector<std::string>{"1\tkey1\t0\td\tc\t<Kim>\t \t \t0\t0"}));
    // Whitespace-only text is no node; text split by an entity reference is one node.
    EXPECT_EQ(Lines("<l><notify type=\"1\"><sender>\n  <b>x</b></sender><subject>a&amp;b&#65;c</subject></notify></l>"),
              (std::vector<std::string>{"1\tkey1\t0\t \ta&bAc\t \t \t \t0\t0"}));
}

TEST(XmlBatch, NoTypeIsKindZeroAndAnElementAsFirstChildGivesABlank) {
    EXPECT_EQ(Lines("<l><notify><sender><b>bold</b></sender><flag>abc</flag></notify></l>"),
              (std::vector<std::string>{"0\tkey1\t0\t \t \t \t \t \t0\t0"}));
}

TEST(XmlBatch, KoreanBytesInTheAnsiCodePageComeBackAsTheSameBytes) {
    const std::string sender = Utf8ToAnsi("홍길동", kKorean);
    const std::string subject = Utf8ToAnsi("회의 & 일정", kKorean);
    const std::string escaped = Utf8ToAnsi("회의 &amp; 일정", kKorean);
    const auto records = Records("<?xml version=\"1.0\" encoding=\"EUC-KR\"?><l><notify type=\"3\"><sender>" + sender +
                                 "</sender><subject>" + escaped + "</subject></notify></l>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sender, sender);
    EXPECT_EQ(records[0].subject, subject);
}

TEST(XmlBatch, DeepNestingAndManyNotifyElementsStayLinear) {
    std::string payload;
    constexpr int kDepth = 100000;
    for (int i = 0; i < kDepth; ++i) payload += "<notify type=\"2\">";
    payload += "<sender>x</sender>";
    for (int i = 0; i < kDepth; ++i) payload += "</notify>";
    const auto lines = Lines(payload);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(lines.front(), "2\tkey1\t0\t \t \tx\t \t \t0\t0");
    EXPECT_EQ(lines.back(), lines.front());
}

TEST(XmlBatch, HugeTextsAreTakenWhole) {
    const std::string big(1 << 20, 'a');
    const auto records =
        Records("<l><notify type=\"2\" extra=\"" + big + "\"><subject>" + big + "</subject></notify></l>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].subject, big);
}

TEST(XmlBatch, RandomBytesAndMangledBatchesAreHandled) {
    std::mt19937 rng(7);
    const std::string valid =
        "<l><notify type=\"2\"><sender>Kim</sender><subject>s &amp; t</subject></notify>"
        "<notify type=\"8\"><title>x</title></notify></l>";
    std::size_t stored = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string payload = valid;
        if (i % 2 == 0) {
            payload.resize(rng() % 400);
            for (char& c : payload) c = static_cast<char>(rng());
        } else {
            for (int n = 0; n < 3; ++n) payload[rng() % payload.size()] = static_cast<char>(rng());
        }
        EXPECT_NO_THROW(stored += Records(payload).size());
    }
    EXPECT_GT(stored, 0u) << "some mangled batches are still well formed";
}

}  // namespace
}  // namespace mirelo
