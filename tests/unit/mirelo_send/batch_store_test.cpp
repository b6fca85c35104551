// The batch and store commands: building XML batches, sending them, and printing a store file.

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "batch_xml.h"
#include "bytes.h"
#include "store_table.h"
#include "test_support.h"

namespace mirelo_send::test {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(BatchXmlTest, EscapesTextsAndWritesOnlyTheGivenElements) {
    BatchDocument document;
    document.notifications = {{"2", {{"sender", "Kim"}, {"subject", "a < b & \"c\""}}}, {"8", {}}};
    EXPECT_EQ(BatchXml(document),
              "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotifyList>\n"
              "  <notify type=\"2\"><sender>Kim</sender><subject>a &lt; b &amp; \"c\"</subject></notify>\n"
              "  <notify type=\"8\"></notify>\n</NotifyList>\n");
    document.declaredEncoding.clear();
    document.root = "r";
    EXPECT_TRUE(BatchXml(document).starts_with("<r>\n"));
}

TEST(BatchXmlTest, EncodesIntoTheCodePageOrSaysWhatIsMissing) {
    std::string error;
    EXPECT_EQ(EncodeBatch("한", "cp949", &error), "\xC7\xD1");
    EXPECT_EQ(EncodeBatch("\xC3\xA9", "cp1252", &error), "\xE9");
    EXPECT_EQ(EncodeBatch("\xC3\xA9", "utf-8", &error), "\xC3\xA9");
    EXPECT_FALSE(EncodeBatch("\xF0\x9F\x98\x80", "cp949", &error));
    EXPECT_TRUE(Contains(error, "cp949 lacks")) << error;
    EXPECT_FALSE(EncodeBatch("x", "no-such-code-page", &error));
    EXPECT_TRUE(Contains(error, "unknown encoding")) << error;
}

TEST(BatchCommandTest, PrintsTheBatchInCodePage949) {
    const RunResult result = RunSend({"batch", "--notify", "5", "--subject", "결재", "--decision-user", "Lee",
                                      "--doc-type", "3", "--function", "f", "--url", "u", "--print"});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(result.out,
              "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotifyList>\n"
              "  <notify type=\"5\"><subject>\xB0\xE1\xC0\xE7</subject><decision-user>Lee</decision-user>"
              "<doc-type>3</doc-type><function-name>f</function-name><openurl>u</openurl></notify>\n"
              "</NotifyList>\n");
}

TEST(BatchCommandTest, DryRunShowsTheKind98Header) {
    const RunResult result =
        RunSend({"batch", "--notify", "1", "--encoding", "utf-8", "--declare", "", "--root", "r", "--dry-run"});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    const std::string xml = "<r>\n  <notify type=\"1\"></notify>\n</r>\n";
    EXPECT_EQ(xml.size(), 38u);
    EXPECT_EQ(result.out, ToHex("0000003898" + xml) + "\n");
}

TEST(BatchCommandTest, UsageErrors) {
    const std::vector<Args> wrong = {
        {"batch"},
        {"batch", "--sender", "Kim"},
        {"batch", "--notify", "2", "--text", "<x/>"},
        {"batch", "--notify", "2", "--element", "novalue"},
        {"batch", "--notify", "2", "--element", "=x"},
        {"batch", "--notify", "2", "--encoding", "klingon"},
        {"batch", "--notify", "2", "--subject", "\xF0\x9F\x98\x80"},
    };
    for (const Args& args : wrong) {
        const RunResult result = RunSend(args);
        EXPECT_EQ(result.exitCode, kExitUsage) << testing::PrintToString(args);
        EXPECT_TRUE(Contains(result.err, "--help")) << result.err;
    }
}

TEST(BatchCommandTest, SendsOverTcpEvenWithoutTheOption) {
    TcpPeer peer;
    const RunResult result = RunSend(
        {"batch", "--text", "<r><notify type=\"2\"/></r>", "--chunk", "5", "--port", std::to_string(peer.Port())});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(Join(peer.Reads()), "0000002598<r><notify type=\"2\"/></r>");
    EXPECT_TRUE(Contains(result.out, "over TCP")) << result.out;
}

class StoreCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "mirelo-send-store-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    fs::path folder;
};

constexpr char kStore[] =
    "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList>\n"
    "\t<Notification id=\"0\" applid=\"2\" type=\"1\" date=\"2026-12-07 09:30\" title=\"\xC7\xD1\xB1\xDB &amp; x\" "
    "sender=\"Kim\" openfunction=\"OpenMail\" url=\"http://gw/m\" />\n"
    "\t<Notification id=\"1\" applid=\"5\" type=\"0\" date=\" \" title=\"a&#9;b &#46624;\" sender=\"Lee\" "
    "openfunction=\" \" url=\" \" />\n</NotificationList>\n";

TEST_F(StoreCommandTest, PrintsATableAlignedByDisplayWidth) {
    const RunResult result = RunSend({"store", Write("k_alerts.xml", kStore)});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_EQ(result.out,
              "id  kind        flag  date              title     sender  function  url\n"
              "--  ----------  ----  ----------------  --------  ------  --------  -----------\n"
              "0   2 mail      1     2026-12-07 09:30  한글 & x  Kim     OpenMail  http://gw/m\n"
              "1   5 approval  0                       a b 똠    Lee                \n"
              "2 notifications\n");
}

TEST_F(StoreCommandTest, TsvKeepsEveryValueWhole) {
    const RunResult result = RunSend({"store", "--tsv", Write("k_alerts.xml", kStore)});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_TRUE(Contains(result.out, "1\t5 approval\t0\t \ta\\tb 똠\tLee\t \t \n")) << result.out;
    EXPECT_TRUE(result.out.starts_with("id\tkind\tflag\tdate\ttitle\tsender\tfunction\turl\n"));
}

TEST_F(StoreCommandTest, LongValuesAreCutAtTheWidth) {
    const std::string store = "<NotificationList><Notification id=\"0\" title=\"" + std::string(50, 't') +
                              "\"/><Notification id=\"1\" title=\"가나다라마바사아자차\"/>" + "</NotificationList>";
    const RunResult result = RunSend({"store", "--width", "10", Write("s.xml", store)});
    EXPECT_EQ(result.exitCode, kExitOk) << result.err;
    EXPECT_TRUE(Contains(result.out, "ttttttt...")) << result.out;
    EXPECT_TRUE(Contains(result.out, "가나다...")) << result.out;
}

TEST_F(StoreCommandTest, MissingDamagedAndFolderExitWithThree) {
    EXPECT_EQ(RunSend({"store", (folder / "none.xml").string()}).exitCode, kExitInput);
    EXPECT_EQ(RunSend({"store", folder.string()}).exitCode, kExitInput);
    const RunResult damaged = RunSend({"store", Write("bad.xml", "<NotificationList><x>")});
    EXPECT_EQ(damaged.exitCode, kExitInput);
    EXPECT_TRUE(Contains(damaged.err, "not a well-formed store")) << damaged.err;
    EXPECT_EQ(RunSend({"store"}).exitCode, kExitUsage);
    EXPECT_EQ(RunSend({"store", "a", "b"}).exitCode, kExitUsage);
    EXPECT_EQ(RunSend({"store", "--width", "3", "a"}).exitCode, kExitUsage);
}

TEST(StoreTableTest, WidthsAndKindNames) {
    EXPECT_EQ(DisplayWidth("abc"), 3);
    EXPECT_EQ(DisplayWidth("한글"), 4);
    EXPECT_EQ(DisplayWidth("\xF0\x9F\x98\x80"), 2);
    EXPECT_EQ(KindName("11"), "11 approval");
    EXPECT_EQ(KindName("20"), "20 alert");
    EXPECT_EQ(KindName("0"), "0");
    EXPECT_EQ(KindName("x"), "x");
}

}  // namespace
}  // namespace mirelo_send::test
