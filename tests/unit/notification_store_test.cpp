#include "store/notification_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/code_page_posix.h"
#include "libxml2_check.h"
#include "malformed_xml.h"
#include "store/euc_kr.h"
#include "store/store_files_posix.h"
#include "store_files_test_support.h"

namespace mirelo {
namespace {

namespace fs = std::filesystem;

const IconvCodec kKorean("CP949");
constexpr char kEmptyList[] = "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList />\n";

NotificationRecord Record(int kind, int flag = 0, const std::string& subject = "subject") {
    NotificationRecord record;
    record.kind = kind;
    record.flag = flag;
    record.date = "2026-12-07 10:00";
    record.subject = subject;
    record.sender = "Kim";
    record.functionName = "fn";
    record.openUrl = "http://gw.example/";
    return record;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTestFolder("mirelo-store");
        ASSERT_FALSE(folder.empty());
        path = (folder / "key1_alerts.xml").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    StoreReport Save(const std::vector<NotificationRecord>& records, SaveOptions options = {}) {
        return store.Save(records, path, [options] { return options; });
    }
    // The stored elements, read back through a fresh document.
    std::vector<StoreEntry> Entries() {
        StoreDocument document;
        EXPECT_EQ(document.Load(ReadBytes(path), kKorean), StoreLoad::Loaded);
        return document.Entries();
    }
    std::vector<std::string> Kinds() {
        std::vector<std::string> kinds;
        for (const StoreEntry& entry : Entries()) kinds.push_back(entry.Get("applid"));
        return kinds;
    }

    fs::path folder;
    std::string path;
    PosixStoreFiles files;
    NotificationStore store{files, kKorean};
};

TEST_F(StoreTest, WithoutSaveOptionsEveryKindIsStored) {
    std::vector<NotificationRecord> records;
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 0}) records.push_back(Record(kind));
    const StoreReport report = Save(records);
    EXPECT_EQ(report.outcome, StoreOutcome::Stored);
    EXPECT_EQ(report.stored, 13);
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "20", "0"}));
}

TEST_F(StoreTest, SaveOptionZeroLeavesTheFileAlone) {
    EXPECT_EQ(Save({Record(2)}, {.saveOption = 0}).outcome, StoreOutcome::NothingToStore);
    EXPECT_FALSE(fs::exists(path));
    WriteBytes(path, "not even XML");
    const auto before = fs::last_write_time(path);
    const StoreReport report = Save({Record(2), Record(8)}, {.saveOption = 0});
    EXPECT_EQ(report.filtered, 2);
    EXPECT_EQ(ReadBytes(path), "not even XML");
    EXPECT_EQ(fs::last_write_time(path), before);
    EXPECT_EQ(Save({Record(2)}, {.saveOption = 2}).outcome, StoreOutcome::NothingToStore);
}

TEST_F(StoreTest, UrgencyFilterKeepsOnlyFlagOne) {
    Save({Record(2, 0, "zero"), Record(2, 2, "two"), Record(2, 1, "one"), Record(2, 3, "three")}, {.urgency = 1});
    const std::vector<StoreEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Get("title"), "one");
    EXPECT_EQ(entries[0].Get("type"), "1");
}

TEST_F(StoreTest, KindMaskZeroStoresOnlyTheUnmaskedKinds) {
    std::vector<NotificationRecord> records;
    for (int kind = 1; kind <= 11; ++kind) records.push_back(Record(kind));
    records.push_back(Record(20));
    const StoreReport report = Save(records, {.appTypes = 0});
    EXPECT_EQ(report.filtered, 7);
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"8", "9", "10", "11", "20"}));
}

TEST_F(StoreTest, EachMaskBitGuardsItsKinds) {
    Save({Record(1), Record(2), Record(3), Record(4), Record(7)}, {.appTypes = 1});
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"2"}));
    Save({Record(1), Record(2), Record(3), Record(5)}, {.appTypes = 2 | 4 | 8});
    EXPECT_EQ(Kinds(), (std::vector<std::string>{"2", "1", "3", "5"}));
}

TEST_F(StoreTest, TheFirstNotificationCreatesTheFileWithIdZero) {
    const StoreReport report = Save({Record(2, 1, "Hello")});
    EXPECT_EQ(report.firstId, 0);
    EXPECT_EQ(ReadBytes(path),
              "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList>\n"
              "\t<Notification id=\"0\" applid=\"2\" type=\"1\" date=\"2026-12-07 10:00\" title=\"Hello\" "
              "sender=\"Kim\" openfunction=\"fn\" url=\"http://gw.example/\" />\n</NotificationList>\n");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(StoreTest, IdsCountOnWithinARunAndRestartInTheNext) {
    Save({Record(2), Record(3)});
    Save({Record(5)});
    NotificationStore nextRun(files, kKorean);
    nextRun.Save(std::vector{Record(8)}, path, [] { return SaveOptions{}; });
    std::vector<std::string> ids;
    for (const StoreEntry& entry : Entries()) ids.push_back(entry.Get("id"));
    EXPECT_EQ(ids, (std::vector<std::string>{"0", "1", "2", "0"}));
}

TEST_F(StoreTest, ADamagedFileIsKeptAsBadAndANewListStarts) {
    WriteBytes(path, "garbage, not XML");
    const StoreReport report = Save({Record(2)});
    EXPECT_EQ(report.outcome, StoreOutcome::Stored);
    EXPECT_EQ(report.load, StoreLoad::Damaged);
    EXPECT_EQ(report.keptAs, path + ".bad");
    EXPECT_EQ(ReadBytes(path + ".bad"), "garbage, not XML");
    EXPECT_EQ(Entries().size(), 1u);

    WriteBytes(path, "<NotificationList><Notification>");
    EXPECT_EQ(Save({Record(3)}).keptAs, path + ".2.bad");
    EXPECT_EQ(ReadBytes(path + ".bad"), "garbage, not XML");
    EXPECT_EQ(ReadBytes(path + ".2.bad"), "<NotificationList><Notification>");
}

TEST_F(StoreTest, AnEmptyFileStartsANewListWithoutABadCopy) {
    WriteBytes(path, "");
    EXPECT_EQ(Save({Record(2)}).load, StoreLoad::Empty);
    EXPECT_FALSE(fs::exists(path + ".bad"));
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(StoreTest, AFolderAtThePathStoresNothingAndStaysAFolder) {
    fs::create_directory(path);
    const StoreReport report = Save({Record(2)});
    EXPECT_EQ(report.outcome, StoreOutcome::Folder);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(store.NextId(), 0);
    EXPECT_EQ(DescribeStoreReport(report, path), "store: 1 not stored, " + path + " is a folder");
}

TEST_F(StoreTest, ABatchGivesTheSameFileAsOneRecordAtATime) {
    std::vector<NotificationRecord> records;
    for (int i = 0; i < 20; ++i) records.push_back(Record(1 + i % 11, i % 3, "subject " + std::to_string(i)));
    const SaveOptions options{.urgency = 0, .appTypes = 1 | 4};
    Save(records, options);
    const std::string batch = ReadBytes(path);

    fs::remove(path);
    NotificationStore single(files, kKorean);
    for (const NotificationRecord& record : records) {
        single.Save(std::span(&record, 1), path, [options] { return options; });
    }
    EXPECT_EQ(ReadBytes(path), batch);
}

TEST_F(StoreTest, OptionsAreAskedForEveryRecord) {
    int calls = 0;
    std::vector<NotificationRecord> records = {Record(2), Record(2), Record(2)};
    const StoreReport report =
        store.Save(records, path, [&calls] { return SaveOptions{.saveOption = ++calls == 2 ? 0u : 1u}; });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(report.stored, 2);
    EXPECT_EQ(report.filtered, 1);
}

TEST_F(StoreTest, KoreanAndForeignCharactersSurviveInTheFile) {
    const std::string subject = Utf8ToAnsi("전자결재 & <승인> \"완료\" \xEB\x98\xA0", kKorean);
    Save({Record(5, 0, subject)});
    const std::string bytes = ReadBytes(path);
    EXPECT_TRUE(IsEucKrForm(bytes));
    EXPECT_NE(bytes.find("&#46624;"), std::string::npos);
    EXPECT_EQ(Entries()[0].Get("title"), "전자결재 & <승인> \"완료\" \xEB\x98\xA0");
}

// Each file holds a good element and breaks one rule: it is kept as it was beside the store, which
// starts anew and stays readable to another conforming parser.
TEST_F(StoreTest, EveryWellFormednessFaultKeepsTheFileAsBad) {
    const std::string good = "<Notification id=\"0\" applid=\"2\" title=\"old\"/>";
    int attempt = 0;
    for (const Malformed& fault : MalformedCases()) {
        const std::string head = fault.head.find("<?xml") == std::string::npos
                                     ? "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>" + fault.head
                                     : fault.head;
        const std::string damaged =
            head + "<NotificationList>" + good + fault.inner + "</NotificationList>" + fault.tail;
        WriteBytes(path, damaged);
        EXPECT_NE(LibXml2ComplaintAboutFile(path), "") << fault.rule;
        const StoreReport report = Save({Record(2, 0, fault.rule)});
        const std::string bad = ++attempt == 1 ? path + ".bad" : path + "." + std::to_string(attempt) + ".bad";
        EXPECT_EQ(report.load, StoreLoad::Damaged) << fault.rule;
        EXPECT_EQ(report.keptAs, bad) << fault.rule;
        EXPECT_EQ(ReadBytes(bad), damaged) << fault.rule;
        EXPECT_EQ(LibXml2ComplaintAboutFile(path), "") << fault.rule;
        ASSERT_EQ(Entries().size(), 1u) << fault.rule;
        EXPECT_EQ(Entries()[0].Get("title"), fault.rule);
    }
}

TEST_F(StoreTest, TheLogLineSaysWhyTheFileWasKeptAside) {
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList>\n<N t=\"Kim&#1;\"/>");
    const StoreReport report = Save({Record(2)});
    EXPECT_EQ(DescribeStoreReport(report, path),
              "store: 1 stored, 0 filtered by the save options in " + path + " (ids 0 to 0); the damaged file (" +
                  "reference to invalid character number at line 3, column 10 (byte 68)) was kept as " + path + ".bad");
}

// Every control character in every text field: the file stays well-formed for any reader; tab, line
// feed and carriage return are kept (as references), the others become blanks.
TEST_F(StoreTest, ControlCharactersNeverMakeTheFileIllFormed) {
    std::vector<NotificationRecord> records;
    for (char c = 1; c < 0x20; ++c) {
        const std::string text = std::string("a") + c + "b";
        NotificationRecord record = Record(2, 0, text);
        record.date = record.sender = record.functionName = record.openUrl = text;
        records.push_back(record);
    }
    records.push_back(Record(2, 0, Utf8ToAnsi("\xED\x95\x9C\x01\xEA\xB8\x80", kKorean)));
    ASSERT_EQ(Save(records).stored, 32);
    EXPECT_EQ(LibXml2ComplaintAboutFile(path), "");
    const std::vector<StoreEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 32u);
    for (char c = 1; c < 0x20; ++c) {
        const bool allowed = c == '\t' || c == '\n' || c == '\r';
        const std::string expected = std::string("a") + (allowed ? c : ' ') + "b";
        for (const char* field : {"date", "title", "sender", "openfunction", "url"}) {
            EXPECT_EQ(entries[c - 1].Get(field), expected) << field << " " << static_cast<int>(c);
        }
    }
    EXPECT_EQ(entries[31].Get("title"), "\xED\x95\x9C \xEA\xB8\x80");
}

TEST_F(StoreTest, InternalEntitiesOfAStoreAreExpandedAndTheFileCarriedOn) {
    WriteBytes(path,
               "<?xml version=\"1.0\" encoding=\"EUC-KR\"?><!DOCTYPE NotificationList [<!ENTITY co \"Quillon\">"
               "<!ATTLIST Notification type CDATA \"0\">]><NotificationList><Notification id=\"0\" title=\"&co;\"/>"
               "</NotificationList>");
    EXPECT_EQ(Save({Record(2)}).load, StoreLoad::Loaded);
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.find("DOCTYPE"), std::string::npos) << bytes;
    EXPECT_EQ(LibXml2ComplaintAboutFile(path), "");
    const std::vector<StoreEntry> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Get("title"), "Quillon");
    EXPECT_EQ(entries[0].Get("type"), "0");
}

// File operations that fail on purpose, as a locked or read-only file makes them fail on Windows.
class FailingFiles final : public StoreFiles {
public:
    Contents Read(const std::string&) override { return readResult; }
    using StoreFiles::Replace;
    std::string Replace(const std::string&, std::span<const std::string_view> pieces) override {
        written.clear();
        for (const std::string_view bytes : pieces) written += bytes;
        return replaceError;
    }
    Move MoveAside(const std::string&, const std::string& to, std::string* error) override {
        *error = "in use";
        return takenNames.count(to) ? Move::TargetExists : moveResult;
    }
    Contents readResult{State::Ok, "<NotificationList/>", ""};
    std::string replaceError;
    Move moveResult = Move::Moved;
    std::map<std::string, bool> takenNames;
    std::string written;
};

TEST(StoreFailures, ALockedFileIsNeitherReadNorReplaced) {
    FailingFiles files;
    files.readResult = {StoreFiles::State::Unreadable, "", "sharing violation"};
    NotificationStore store(files, kKorean);
    const StoreReport report = store.Save(std::vector{Record(2)}, "s.xml", [] { return SaveOptions{}; });
    EXPECT_EQ(report.outcome, StoreOutcome::Unreadable);
    EXPECT_TRUE(files.written.empty());
    EXPECT_EQ(DescribeStoreReport(report, "s.xml"), "store: 1 not stored, s.xml could not be read: sharing violation");
}

TEST(StoreFailures, AFailedWriteKeepsTheOldFileAndTheIds) {
    FailingFiles files;
    files.replaceError = "access denied";
    NotificationStore store(files, kKorean);
    EXPECT_EQ(store.Save(std::vector{Record(2)}, "s.xml", [] { return SaveOptions{}; }).outcome,
              StoreOutcome::Unwritable);
    EXPECT_EQ(store.NextId(), 0);
    files.replaceError.clear();
    EXPECT_EQ(store.Save(std::vector{Record(2)}, "s.xml", [] { return SaveOptions{}; }).firstId, 0);
}

TEST(StoreFailures, ADamagedFileThatCannotBeMovedIsNotOverwritten) {
    FailingFiles files;
    files.readResult = {StoreFiles::State::Ok, "<<<", ""};
    files.moveResult = StoreFiles::Move::Failed;
    NotificationStore store(files, kKorean);
    const StoreReport report = store.Save(std::vector{Record(2)}, "s.xml", [] { return SaveOptions{}; });
    EXPECT_EQ(report.outcome, StoreOutcome::NotKeptAside);
    EXPECT_TRUE(files.written.empty());
}

TEST(StoreFailures, EveryBadNameTakenStoresNothing) {
    FailingFiles files;
    files.readResult = {StoreFiles::State::Ok, "<<<", ""};
    files.takenNames["s.xml.bad"] = true;
    for (int i = 2; i <= 100; ++i) files.takenNames["s.xml." + std::to_string(i) + ".bad"] = true;
    NotificationStore store(files, kKorean);
    const StoreReport report = store.Save(std::vector{Record(2)}, "s.xml", [] { return SaveOptions{}; });
    EXPECT_EQ(report.outcome, StoreOutcome::NotKeptAside);
    EXPECT_EQ(report.error, "every name up to s.xml.100.bad is taken");
}

TEST(SaveOptions, SubkeyEndsWithABackslash) { EXPECT_EQ(SaveOptionsSubkey("NULL"), "xnf_auto_file\\Settings\\NULL\\"); }

}  // namespace
}  // namespace mirelo

namespace mirelo {
namespace {

class StoreCapTest : public StoreTest {
protected:
    std::string Archive(int attempt) const {
        return (folder / (attempt == 1 ? "key1_history-20261207.xml"
                                       : "key1_history-20261207-" + std::to_string(attempt) + ".xml"))
            .string();
    }
    StoreReport SaveCapped(int first, int count) {
        std::vector<NotificationRecord> records;
        for (int i = first; i < first + count; ++i) records.push_back(Record(2, 0, "s" + std::to_string(i)));
        return store.Save(
            records, path, [] { return SaveOptions{}; }, &cap);
    }
    std::vector<std::string> Subjects(const std::string& file) {
        StoreDocument document;
        EXPECT_EQ(document.Load(ReadBytes(file), kKorean), StoreLoad::Loaded) << file;
        std::vector<std::string> subjects;
        for (const StoreEntry& entry : document.Entries()) subjects.push_back(entry.Get("title"));
        return subjects;
    }

    StoreCap cap{5, 3, [this](int attempt) { return Archive(attempt); }};
};

TEST_F(StoreCapTest, UpToTheCapNothingRolls) {
    const StoreReport report = SaveCapped(0, 5);
    EXPECT_EQ(report.stored, 5);
    EXPECT_EQ(report.rolled, 0);
    EXPECT_FALSE(fs::exists(Archive(1)));
    EXPECT_EQ(Subjects(path).size(), 5u);
}

TEST_F(StoreCapTest, PastTheCapTheOldestRollIntoADatedArchiveThatIsNeverOverwritten) {
    SaveCapped(0, 5);
    StoreReport report = SaveCapped(5, 1);
    EXPECT_EQ(report.outcome, StoreOutcome::Stored);
    EXPECT_EQ(report.rolled, 3);
    EXPECT_EQ(report.archive, Archive(1));
    EXPECT_EQ(Subjects(path), (std::vector<std::string>{"s3", "s4", "s5"}));
    EXPECT_EQ(Subjects(Archive(1)), (std::vector<std::string>{"s0", "s1", "s2"}));
    EXPECT_NE(DescribeStoreReport(report, path).find("the oldest 3 moved to " + Archive(1)), std::string::npos);

    // The same day again: a second archive beside the first.
    report = SaveCapped(6, 3);
    EXPECT_EQ(report.rolled, 3);
    EXPECT_EQ(report.archive, Archive(2));
    EXPECT_EQ(Subjects(Archive(1)), (std::vector<std::string>{"s0", "s1", "s2"}));
    EXPECT_EQ(Subjects(Archive(2)), (std::vector<std::string>{"s3", "s4", "s5"}));
    EXPECT_EQ(Subjects(path), (std::vector<std::string>{"s6", "s7", "s8"}));
}

TEST_F(StoreCapTest, AnArchiveThatCannotBeWrittenLeavesEveryRecordInTheFile) {
    fs::create_directory(path + ".roll");  // the archive's temporary name is taken by a folder
    SaveCapped(0, 5);
    const StoreReport report = SaveCapped(5, 2);
    EXPECT_EQ(report.outcome, StoreOutcome::Stored);
    EXPECT_EQ(report.rolled, 0);
    EXPECT_FALSE(report.rollError.empty());
    EXPECT_EQ(Subjects(path).size(), 7u);
    EXPECT_NE(DescribeStoreReport(report, path).find("could not be archived"), std::string::npos);
}

}  // namespace
}  // namespace mirelo
