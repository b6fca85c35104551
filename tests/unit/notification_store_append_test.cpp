// A store that adds to the file it last wrote must give, save after save, the bytes of a store that
// parses the file every time.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "core/code_page_posix.h"
#include "store/euc_kr.h"
#include "store/notification_store.h"
#include "store/store_files_posix.h"
#include "store_files_test_support.h"

namespace mirelo {
namespace {

namespace fs = std::filesystem;

const IconvCodec kKorean("CP949");
constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>";

// Records with what escaping and encoding must get right: Korean, the extra Hangul of code page 949,
// markup characters, tab, line feed, carriage return and a control character.
std::vector<NotificationRecord> Batch(int round, int count) {
    const std::string texts[] = {"plain", Utf8ToAnsi("전자결재 <승인> & \"완료\" '확인' \xEB\x98\xA0", kKorean),
                                 "tab\tline\nreturn\rbell\x07", "a > b"};
    std::vector<NotificationRecord> records;
    for (int i = 0; i < count; ++i) {
        NotificationRecord record;
        record.kind = 1 + (round + i) % 11;
        record.flag = i % 3;
        record.date = "2026-12-07 10:0" + std::to_string(i % 10);
        record.subject = texts[(round + i) % 4] + std::to_string(round);
        record.sender = texts[(round + i + 1) % 4];
        record.functionName = "fn";
        record.openUrl = "http://gw.example/view.do?id=" + std::to_string(i) + "&mode=read";
        records.push_back(record);
    }
    return records;
}

// One store that remembers its file and one that forgets it before every save, each with a file of
// its own that starts with the same bytes.
class AppendTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder("mirelo-append");
        ASSERT_FALSE(folder.empty());
        fs::create_directory(folder / "a");
        fs::create_directory(folder / "b");
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path Path(const char* side) const { return folder / side / "key1_alerts.xml"; }
    void Start(const std::optional<std::string>& bytes) {
        for (const char* side : {"a", "b"}) {
            if (bytes) WriteBytes(Path(side), *bytes);
        }
    }
    // Saves into both and checks that the files (and any archive) hold the same bytes.
    StoreReport SaveBoth(int round, int count, const std::optional<StoreCap>& capA = {},
                         const std::optional<StoreCap>& capB = {}) {
        const std::vector<NotificationRecord> records = Batch(round, count);
        const auto options = [] { return SaveOptions{}; };
        reference.Forget();
        const StoreReport expected = reference.Save(records, Path("b").string(), options, capB ? &*capB : nullptr);
        const StoreReport report = store.Save(records, Path("a").string(), options, capA ? &*capA : nullptr);
        EXPECT_EQ(report.outcome, expected.outcome);
        EXPECT_EQ(report.load, expected.load);
        EXPECT_EQ(report.rolled, expected.rolled);
        EXPECT_EQ(report.firstId, expected.firstId);
        EXPECT_EQ(ReadBytes(Path("a")), ReadBytes(Path("b")));
        EXPECT_EQ(ReadBytes(report.archive), ReadBytes(expected.archive));
        return report;
    }

    fs::path folder;
    PosixStoreFiles files;
    NotificationStore store{files, kKorean};
    NotificationStore reference{files, kKorean};
};

struct StartCase {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    bool appendable;                   // the saves after the first add to the file without parsing it
};

const std::vector<StartCase>& StartCases() {
    static const std::vector<StartCase> cases = {
        {"no file", std::nullopt, true},
        {"empty file", "", true},
        {"empty list", kEmptyStoreText, true},
        {"damaged", "garbage, not XML", true},
        {"a name EUC-KR cannot spell", std::string(kDeclaration) + "<\x8C\x63/>", true},
        {"other root and elements",
         std::string(kDeclaration) + "<Alerts v=\"2\"><Item a=\"&#9;x&#10;\"><Sub/></Item></Alerts>", true},
        {"declaration with standalone", "<?xml version='1.0' encoding='ks_c_5601-1987' standalone='yes'?><N/>", true},
        {"code page 949 Hangul as bytes", "<?xml version=\"1.0\" encoding=\"cp949\"?><N t=\"\x8C\x63\"/>", true},
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><N t=\"\xEC\xA0\x84 \xC3\xA9\"/>", true},
        {"UTF-16 with a byte order mark", std::string("\xFF\xFE<\0N\0/\0>\0", 10), true},
        {"no declaration", "<N><Notification id=\"7\"/></N>", true},
        {"internal entities", "<!DOCTYPE N [<!ENTITY co \"Q\">]><N t=\"&co;\"/>", true},
        {"text in the root", std::string(kDeclaration) + "<N>note<Notification id=\"0\"/></N>", false},
        {"text deeper down", std::string(kDeclaration) + "<N><M>x<![CDATA[y]]></M></N>", false},
        {"comment after the root", std::string(kDeclaration) + "<N/><!-- end -->", false},
        {"comment before the root", "<!-- head --><?pi x?><N/>", true},
        {"comment last in the root", std::string(kDeclaration) + "<N><M/><!-- c --></N>", true},
    };
    return cases;
}

TEST_F(AppendTest, EveryStartGivesTheBytesOfAParsingStore) {
    for (const StartCase& start : StartCases()) {
        SCOPED_TRACE(start.name);
        TearDown();
        SetUp();
        store.Forget();
        Start(start.bytes);
        for (int round = 0; round < 4; ++round) {
            EXPECT_EQ(SaveBoth(round, 1 + round).appended, round > 0 && start.appendable) << round;
        }
    }
}

// Another program changes the file between two saves: the store parses it as it always did.
TEST_F(AppendTest, AFileChangedByAnotherProgramIsParsed) {
    const std::vector<std::pair<const char*, std::function<std::optional<std::string>(std::string)>>> changes = {
        {"one byte, same size", [](std::string bytes) { return bytes.replace(bytes.find("plain"), 1, "q"); }},
        {"a line added", [](std::string bytes) { return bytes.insert(bytes.rfind("</"), "\t<X />\n"); }},
        {"cut short", [](std::string bytes) { return bytes.substr(0, bytes.size() - 3); }},
        {"emptied", [](const std::string&) { return std::string(); }},
        {"removed", [](const std::string&) { return std::nullopt; }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        store.Forget();
        SaveBoth(0, 3);
        const std::optional<std::string> changed = change(ReadBytes(Path("a")));
        for (const char* side : {"a", "b"}) fs::remove(Path(side));
        Start(changed);
        EXPECT_FALSE(SaveBoth(1, 2).appended);
        EXPECT_TRUE(SaveBoth(2, 2).appended);
    }
}

// The cap is counted as the file is added to: a save that passes it parses the file and rolls over.
TEST_F(AppendTest, RollOverGivesTheSameFileAndArchives) {
    const auto cap = [this](const char* side) {
        return StoreCap{5, 3, [this, side](int attempt) {
                            return (folder / side / ("archive-" + std::to_string(attempt) + ".xml")).string();
                        }};
    };
    const bool appended[] = {false, true, false, true, false, true, false};
    for (int round = 0; round < 7; ++round) {
        const StoreReport report = SaveBoth(round, 2, cap("a"), cap("b"));
        EXPECT_EQ(report.appended, appended[round]) << round;
    }
    EXPECT_TRUE(fs::exists(folder / "a" / "archive-3.xml"));
}

TEST_F(AppendTest, AFailedWriteIsNotRemembered) {
    SaveBoth(0, 1);
    fs::create_directory(Path("a").string() + ".tmp");  // the temporary name is taken: the write fails
    EXPECT_EQ(store.Save(Batch(1, 1), Path("a").string(), [] { return SaveOptions{}; }).outcome,
              StoreOutcome::Unwritable);
    fs::remove(Path("a").string() + ".tmp");
    EXPECT_FALSE(SaveBoth(1, 1).appended);
}

TEST(ContentHash, PiecesGiveTheHashOfTheWholeAndAnyChangedByteAnother) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>('a' + i * 7 % 26);
    const auto hash = [](std::initializer_list<std::string_view> pieces) {
        ContentHash content;
        for (const std::string_view piece : pieces) content.Add(piece);
        return content.Value();
    };
    const std::uint64_t whole = hash({text});
    const std::string_view view = text;
    for (std::size_t a = 0; a <= text.size(); ++a) {
        for (std::size_t b = a; b <= text.size(); b += 7) {
            ASSERT_EQ(hash({view.substr(0, a), view.substr(a, b - a), view.substr(b)}), whole) << a << " " << b;
        }
        std::string changed = text;
        if (a < text.size()) changed[a] ^= 1;
        EXPECT_EQ(hash({changed}) == whole, a == text.size()) << a;
    }
    EXPECT_NE(hash({view.substr(0, 99)}), whole);
}

}  // namespace
}  // namespace mirelo
