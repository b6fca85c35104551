#include "store/history_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/code_page_posix.h"
#include "store/store_document.h"

namespace mirelo {
namespace {

HistoryRow Row(int kind, const std::string& date, const std::string& title, const std::string& sender) {
    HistoryRow row;
    row.kind = kind;
    row.date = date;
    row.title = title;
    row.sender = sender;
    std::string digits;
    for (char c : date) {
        if (c >= '0' && c <= '9') digits += c;
    }
    digits.resize(14, '0');
    row.order = digits;
    return row;
}

std::string KindText(int kind) { return kind == 2 ? "Mail" : kind == 1 ? "BBS" : "Notify"; }

std::string Titles(const HistoryIndex& index) {
    std::string titles;
    for (std::size_t i = 0; i < index.Size(); ++i) titles += (titles.empty() ? "" : ",") + index.Row(i).title;
    return titles;
}

HistoryIndex Sample() {
    // File order, older first; "b" and "c" share a date, so the later one in the files comes first.
    return HistoryIndex({Row(2, "2026-12-07 09:00", "a", "Kim Cheolsu"), Row(1, "2026-12-07 10:00", "b", "Lee"),
                         Row(8, "2026-12-07 10:00", "c", "Park (HR)"), Row(2, "20261206120000", "d", "Choi")},
                        KindText);
}

TEST(HistoryIndex, NewestFirstByTheDigitsOfTheDate) {
    const HistoryIndex index = Sample();
    EXPECT_EQ(Titles(index), "c,b,a,d");
    EXPECT_EQ(index.Cell(0, kHistoryKind), "Notify");
    EXPECT_EQ(index.Cell(0, kHistoryDate), "2026-12-07 10:00");
    EXPECT_EQ(index.Cell(0, kHistorySender), "Park (HR)");
}

TEST(HistoryIndex, FilterBySenderTitleOrKindAsOneTypes) {
    HistoryIndex index = Sample();
    const struct {
        const char* typed;
        const char* titles;
    } cases[] = {{"", "c,b,a,d"}, {"k", "c,a"}, {"KIM", "a"}, {"mail", "a,d"},
                 {"bbs", "b"},    {"(hr", "c"}, {"zzz", ""},  {"d", "d"}};
    for (const auto& c : cases) {
        index.Filter(c.typed);
        EXPECT_EQ(Titles(index), c.titles) << c.typed;
    }
}

TEST(HistoryIndex, SortingByAColumnKeepsTheFilter) {
    HistoryIndex index = Sample();
    index.Sort(kHistorySender, true);
    EXPECT_EQ(Titles(index), "d,a,b,c");
    index.Sort(kHistorySender, false);
    EXPECT_EQ(Titles(index), "c,b,a,d");
    index.Sort(kHistoryDate, true);
    EXPECT_EQ(Titles(index), "d,a,c,b");  // equal dates: the later in the files first
    index.Filter("mail");
    index.Sort(kHistoryTitle, false);
    EXPECT_EQ(Titles(index), "d,a");
    EXPECT_EQ(index.Total(), 4u);
}

TEST(HistoryIndex, EverySortKeepsTheOrderOfAStableSortOfTheTexts) {
    // Many equal texts, dates and kinds, in a mixed file order.
    std::vector<HistoryRow> rows;
    for (int i = 0; i < 300; ++i) {
        const int n = i * 7919 % 300;
        rows.push_back(Row(1 + n % 3, n % 5 == 0 ? "" : "2026-12-0" + std::to_string(1 + n % 4) + " 09:00",
                           "t" + std::to_string(n % 17), n % 2 ? "Kim" : "Lee (HR)"));
        rows.back().url = std::to_string(i);
    }
    const auto text = [](const HistoryRow& row, int column) -> std::string {
        switch (column) {
            case kHistoryKind: return KindText(row.kind);
            case kHistoryDate: return row.order;
            case kHistoryTitle: return row.title;
            default: return row.sender;
        }
    };
    HistoryIndex index(rows, KindText);
    const struct {
        int column;
        bool ascending;
    } cases[] = {{kHistoryKind, true},   {kHistoryKind, false},   {kHistoryDate, true},
                 {kHistoryDate, false},  {kHistoryTitle, true},   {kHistoryTitle, false},
                 {kHistorySender, true}, {kHistorySender, false}, {kHistoryNewestFirst, true}};
    for (const auto& c : cases) {
        std::vector<const HistoryRow*> expected;
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) expected.push_back(&*row);
        const int column = c.column == kHistoryNewestFirst ? kHistoryDate : c.column;
        const bool ascending = c.column != kHistoryNewestFirst && c.ascending;
        std::stable_sort(expected.begin(), expected.end(), [&](const HistoryRow* a, const HistoryRow* b) {
            return ascending ? text(*a, column) < text(*b, column) : text(*b, column) < text(*a, column);
        });
        index.Sort(c.column, c.ascending);
        ASSERT_EQ(index.Size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(index.Row(i).url, expected[i]->url) << c.column << (c.ascending ? " up " : " down ") << i;
        }
    }
}

TEST(HistoryIndex, RowsComeFromTheNotificationElementsOfAStore) {
    const IconvCodec codec("CP949");
    StoreDocument document;
    ASSERT_EQ(document.Load("<?xml version=\"1.0\"?><NotificationList><Other/>"
                            "<Notification id=\"0\" applid=\"2\" type=\"1\" date=\"2026-12-07 09:30\" "
                            "title=\"R&amp;D\" sender=\"Kim\" openfunction=\"f\" url=\"http://gw/m?id=1\"/>"
                            "<Notification applid=\"x\"/></NotificationList>",
                            codec),
              StoreLoad::Loaded);
    std::vector<HistoryRow> rows;
    AppendHistoryRows(document, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, 2);
    EXPECT_EQ(rows[0].title, "R&D");
    EXPECT_EQ(rows[0].url, "http://gw/m?id=1");
    EXPECT_EQ(rows[0].order, "20261207093000");
    EXPECT_EQ(rows[1].kind, 0);
    EXPECT_EQ(rows[1].order, "");
}

}  // namespace
}  // namespace mirelo

namespace mirelo {
namespace {

TEST(HistoryPreview, TheTailOfAStoreGivesItsNewestRowsAtOnce) {
    const IconvCodec codec("CP949");
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>";
    std::string file = declaration + "\n<NotificationList>\n";
    for (int i = 0; i < 50; ++i) {
        file += "\t<Notification id=\"" + std::to_string(i) +
                "\" applid=\"2\" type=\"0\" date=\"2026-12-07 09:" + (i < 10 ? "0" : "") + std::to_string(i) +
                "\" title=\"t" + std::to_string(i) + "\" sender=\"Kim\" openfunction=\"f\" url=\"http://gw/\" />\n";
    }
    file += "</NotificationList>\n";
    // The tail starts inside element 47: that one is cut, the two after it are whole.
    const std::string tail = file.substr(file.find("t47\""));
    const std::string document = StoreTailDocument(file.substr(0, kHistoryHeadBytes), tail);
    ASSERT_TRUE(document.starts_with(declaration + "<NotificationList><Notification id=\"48\"")) << document;
    const HistoryIndex index = PreviewHistory({document, "", "<not xml"}, codec, KindText);
    ASSERT_EQ(index.Size(), 2u);
    EXPECT_EQ(index.Row(0).title, "t49");
    EXPECT_EQ(index.Row(1).title, "t48");

    const struct {
        const char* head;
        const char* tail;
    } none[] = {{"<?xml version=\"1.0\"?>", "</NotificationList>"},
                {"<?xml version=\"1.0\"?>", "<Notification a=\"1\"/>"},
                {"", ""}};
    for (const auto& c : none) EXPECT_EQ(StoreTailDocument(c.head, c.tail), "") << c.tail;

    // A tail that holds the whole file starts at the first element, not at the root.
    const HistoryIndex whole = PreviewHistory({StoreTailDocument(file, file)}, codec, KindText);
    EXPECT_EQ(whole.Size(), 50u);
}

}  // namespace
}  // namespace mirelo
