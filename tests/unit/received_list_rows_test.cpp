#include "store/received_list_rows.h"

#include "korean_text.h"
#include "reception/notification_record.h"
#include "reception/received_list_item.h"
#include "resources/string_ids.h"
#include "store/macros.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace mirelo {
namespace {

using testing::Cp949;

const std::map<int, std::string>& KoreanTexts() {
    static const std::map<int, std::string> texts = {
        {IDS_LISTKIND_BBS, Cp949("게시판")},    {IDS_LISTKIND_MAIL, Cp949("우편")},
        {IDS_NOTIFY_CAPTION, Cp949("알림")},    {IDS_LISTKIND_REVIEW, Cp949("$공람$")},
        {IDS_LISTKIND_REJECTED, Cp949("반려")}, {IDS_LISTKIND_OFFICIAL, Cp949("공문")},
        {IDS_LISTKIND_RETURNED, Cp949("반송")}, {IDS_LISTKIND_ADMINISTRATIVE, Cp949("행정")},
        {IDS_LISTKIND_ROUTED, Cp949("경유")},   {IDS_LISTKIND_DISPATCHED, Cp949("발송")},
        {IDS_LISTKIND_APPROVAL, Cp949("결재")}, {IDS_LISTCOL_TIP, Cp949("팁")},
        {IDS_LISTCOL_TIME, Cp949("시간")},
    };
    return texts;
}

std::string Korean(int id) {
    const auto found = KoreanTexts().find(id);
    return found == KoreanTexts().end() ? std::string() : found->second;
}

// Section "Macro" with one key: the public-review word of this site.
class OneMacro : public MacroSource {
public:
    std::vector<std::string> ReadMacroNames() override { return {Cp949("공람")}; }
    std::string ReadMacroValue(const std::string&) override { return Cp949("회람"); }
};

std::string SiteMacros(const std::string& text) {
    static MacroTable table;
    static OneMacro source;
    return ExpandMacros(text, table, source);
}

TEST(ListKindText, FirstMatchOfTheTable) {
    struct Case {
        int kind;
        int code;
        char docKind;
        char action;
        int expected;
    };
    const Case cases[] = {
        {kKindBbs, 200, '0', '0', IDS_LISTKIND_BBS},
        {kKindMail, 100, '0', '0', IDS_LISTKIND_MAIL},
        {kKindSchedule, 0, '0', '0', IDS_NOTIFY_CAPTION},
        {kKindMessage, 0, '0', '0', IDS_NOTIFY_CAPTION},
        {kKindMessageOther, 0, '0', '0', IDS_NOTIFY_CAPTION},
        {kKindNotice, 0, '0', '0', IDS_NOTIFY_CAPTION},
        {4, 500, 'D', '3', IDS_LISTKIND_REVIEW},  // code 500 wins over everything
        {5, 1, 'K', '3', IDS_LISTKIND_REJECTED},  // action 3 wins over the document kind
        {6, 1, '6', '8', IDS_LISTKIND_OFFICIAL},
        {7, 1, 'I', '8', IDS_LISTKIND_OFFICIAL},
        {4, 1, '6', '1', IDS_LISTKIND_APPROVAL},
        {4, 1, 'D', '8', IDS_LISTKIND_RETURNED},
        {4, 1, 'J', '1', IDS_LISTKIND_ADMINISTRATIVE},
        {4, 1, 'K', '2', IDS_LISTKIND_ROUTED},
        {4, 1, 'L', '1', IDS_LISTKIND_DISPATCHED},
        {4, 1, 'X', '1', IDS_LISTKIND_APPROVAL},
        {4, 1, 'k', '1', IDS_LISTKIND_APPROVAL},  // codes are case-sensitive
        {4, 1, '\0', '\0', IDS_LISTKIND_APPROVAL},
        {kKindApprovalHeld, 500, 'K', '3', kNoKindText},
        {kKindAlert, 0, '0', '0', kNoKindText},
        {0, 0, '0', '0', kNoKindText},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListKindTextId(c.kind, c.code, c.docKind, c.action), c.expected)
            << c.kind << " " << c.code << " " << c.docKind << c.action;
    }
}

TEST(ListKindText, ThePublicReviewTextGoesThroughTheMacros) {
    EXPECT_EQ(ListKindText(4, 500, '1', '1', Korean, SiteMacros), Cp949("회람"));
    EXPECT_EQ(ListKindText(4, 1, 'K', '1', Korean, SiteMacros), Cp949("경유"));
    EXPECT_EQ(ListKindText(kKindAlert, 0, '0', '0', Korean, SiteMacros), "");
}

TEST(ListRowColour, BlueForApprovalRowsOnly) {
    EXPECT_EQ(ListRowColour(Cp949("결재"), Korean), kApprovalRowColour);
    EXPECT_EQ(kApprovalRowColour, 0x00FF0000u);  // red 0, green 0, blue 255
    for (const char* text : {"경유", "우편", "알림", ""}) {
        EXPECT_EQ(ListRowColour(Cp949(text), Korean), kDefaultRowColour) << text;
    }
}

ReceivedListItem ApprovalItem(char docKind, char action) {
    ReceivedListItem item;
    item.kind = 4;
    item.code = 1;
    item.arrivalTime = "14:03";
    item.shortSender = "Choi";
    item.displaySubject = "Budget";
    item.openUrl = "http://gw/a";
    item.documentKindCode = docKind;
    item.actionCode = action;
    return item;
}

TEST(ListTitle, TheShowApprConstSuffix) {
    EXPECT_EQ(ListTitle(ApprovalItem('K', '2'), false), "Budget");
    EXPECT_EQ(ListTitle(ApprovalItem('K', '2'), true), "Budget(K2)");
    EXPECT_EQ(ListTitle(ApprovalItem('0', '0'), true), "Budget(00)");
}

TEST(BuildListRow, ColumnsColourAndData) {
    const ListRow routed = BuildListRow(ApprovalItem('K', '2'), true, Korean, SiteMacros);
    const std::array<std::string, kListColumnCount> texts = {"", Cp949("경유"), "14:03", "Budget(K2)", "Choi"};
    EXPECT_EQ(routed.texts, texts);
    EXPECT_EQ(routed.data.colour, kDefaultRowColour);
    EXPECT_EQ(routed.data.link, "http://gw/a");
    EXPECT_EQ(routed.data.kind, 4);
    EXPECT_EQ(routed.image, 0);

    const ListRow approval = BuildListRow(ApprovalItem('X', '1'), false, Korean, SiteMacros);
    EXPECT_EQ(approval.texts[1], Cp949("결재"));
    EXPECT_EQ(approval.texts[3], "Budget");
    EXPECT_EQ(approval.data.colour, kApprovalRowColour);
}

TEST(BuildListRow, TheLinkIsCutAt254Characters) {
    ReceivedListItem item = ApprovalItem('1', '1');
    item.openUrl = std::string(300, 'u');
    EXPECT_EQ(BuildListRow(item, false, Korean, SiteMacros).data.link, std::string(254, 'u'));
}

TEST(ListHeaderText, OneLeadingSpace) {
    EXPECT_EQ(ListHeaderText(0, Korean), " " + Cp949("팁"));
    EXPECT_EQ(ListHeaderText(2, Korean), " " + Cp949("시간"));
    EXPECT_EQ(kListColumns[0].width, 0);
    EXPECT_EQ(kListColumns[1].width + kListColumns[2].width + kListColumns[3].width + kListColumns[4].width, 441);
}

std::vector<ListRow> RowsOf(int column, const std::vector<std::string>& keys) {
    std::vector<ListRow> rows;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ListRow row;
        row.texts[static_cast<std::size_t>(column)] = keys[i];
        row.data.kind = static_cast<int>(i);  // where the row stood before the sort
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> KeysOf(const std::vector<ListRow>& rows, int column) {
    std::vector<std::string> keys;
    for (const auto& row : rows) keys.push_back(row.texts[static_cast<std::size_t>(column)]);
    return keys;
}

TEST(SortListRows, TimesWithinADayBothWays) {
    auto rows = RowsOf(2, {"14:03", "09:05", "23:59", "00:00", "09:50", "12:00"});
    SortListRows(rows, 2, true, kListFixedColumns);
    EXPECT_EQ(KeysOf(rows, 2), (std::vector<std::string>{"00:00", "09:05", "09:50", "12:00", "14:03", "23:59"}));
    SortListRows(rows, 2, false, kListFixedColumns);
    EXPECT_EQ(KeysOf(rows, 2), (std::vector<std::string>{"23:59", "14:03", "12:00", "09:50", "09:05", "00:00"}));
}

TEST(SortListRows, CodePageBytesOrderHangulAfterLatin) {
    auto rows = RowsOf(4, {Cp949("홍길동"), "Kim", Cp949("강감찬"), "Lee", "kim"});
    SortListRows(rows, 4, true, kListFixedColumns);
    EXPECT_EQ(KeysOf(rows, 4), (std::vector<std::string>{"Kim", "Lee", "kim", Cp949("강감찬"), Cp949("홍길동")}));
}

TEST(SortListRows, EqualKeysAreNeverSwapped) {
    auto rows = RowsOf(2, {"10:00", "10:00", "10:00", "10:00"});
    SortListRows(rows, 2, true, kListFixedColumns);
    SortListRows(rows, 2, false, kListFixedColumns);
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].data.kind, static_cast<int>(i));

    auto mixed = RowsOf(2, {"10:00", "09:00", "10:00", "11:00", "09:00", "10:00"});
    SortListRows(mixed, 2, true, kListFixedColumns);
    EXPECT_EQ(KeysOf(mixed, 2), (std::vector<std::string>{"09:00", "09:00", "10:00", "10:00", "10:00", "11:00"}));
}

TEST(SortListRows, RowsMoveWhole) {
    auto rows = RowsOf(2, {"10:00", "09:00"});
    rows[0].texts[4] = "first";
    rows[0].state = 3;
    SortListRows(rows, 2, true, kListFixedColumns);
    EXPECT_EQ(rows[1].texts[4], "first");
    EXPECT_EQ(rows[1].state, 3u);
    EXPECT_EQ(rows[1].data.kind, 0);
}

TEST(SortListRows, TheFixedColumnSortsByImage) {
    auto rows = RowsOf(0, {"b", "a", "c"});
    rows[0].image = 2;
    rows[1].image = 0;
    rows[2].image = 1;
    SortListRows(rows, 0, true, kListFixedColumns);
    EXPECT_EQ(KeysOf(rows, 0), (std::vector<std::string>{"a", "c", "b"}));
}

TEST(SortListRows, SmallAndLargeLists) {
    std::vector<ListRow> none;
    SortListRows(none, 2, true, kListFixedColumns);
    auto one = RowsOf(2, {"x"});
    SortListRows(one, 2, false, kListFixedColumns);
    EXPECT_EQ(KeysOf(one, 2), std::vector<std::string>{"x"});

    // A thousand rows, already in order or in reverse: the sort stays correct either way.
    std::vector<std::string> keys;
    for (int i = 0; i < 1000; ++i) keys.push_back(std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i));
    for (bool ascending : {true, false}) {
        auto rows = RowsOf(3, keys);
        SortListRows(rows, 3, ascending, kListFixedColumns);
        SortListRows(rows, 3, ascending, kListFixedColumns);
        const auto sorted = KeysOf(rows, 3);
        EXPECT_TRUE(ascending ? std::is_sorted(sorted.begin(), sorted.end())
                              : std::is_sorted(sorted.rbegin(), sorted.rend()));
    }
}

TEST(PlanRowSync, NewItemsGoOnTopUntilTheWindowWasSorted) {
    struct Case {
        std::size_t rows;
        bool inOrder;
        std::uint64_t shown;
        std::uint64_t added;
        std::size_t items;
        RowSync expected;
    };
    const Case cases[] = {
        {0, true, 0, 1, 1, {true, 0, 1}},                  // a new window fills
        {2, true, 2, 3, 3, {false, 1, 3}},                 // one more on top
        {2, true, 2, 5, 5, {false, 3, 5}},                 // three came in at once
        {1000, true, 1000, 1001, 1000, {false, 1, 1000}},  // the oldest row goes
        {3, false, 3, 4, 4, {true, 0, 4}},                 // sorted: written again in arrival order
        {3, true, 3, 3, 3, {false, 0, 3}},                 // nothing new
        {3, true, 1, 4, 4, {true, 0, 4}},                  // rows the window never showed
        {3, true, 5, 4, 4, {true, 0, 4}},                  // a counter from another list
    };
    for (const Case& c : cases) {
        const RowSync sync = PlanRowSync(c.rows, c.inOrder, c.shown, c.added, c.items);
        EXPECT_EQ(sync.refill, c.expected.refill) << c.rows << " " << c.added;
        EXPECT_EQ(sync.insertOnTop, c.expected.insertOnTop) << c.rows << " " << c.added;
        EXPECT_EQ(sync.keepRows, c.expected.keepRows) << c.rows << " " << c.added;
    }
}

TEST(ListKindTextIds, HoldEveryTextOfTheTable) {
    for (int kind = 0; kind <= kKindAlert; ++kind) {
        for (int code : {0, 500}) {
            for (char docKind : {'0', '6', 'I', 'D', 'J', 'K', 'L', 'X'}) {
                for (char action : {'1', '3', '8'}) {
                    const int id = ListKindTextId(kind, code, docKind, action);
                    if (id == kNoKindText) continue;
                    EXPECT_NE(std::find(kListKindTextIds.begin(), kListKindTextIds.end(), id), kListKindTextIds.end())
                        << id;
                }
            }
        }
    }
}

TEST(ListRowHeight, TheFontHeightAndATenthButNeverCuttingTheGlyphs) {
    EXPECT_EQ(ListRowHeight(-13, 13), 15);  // the glyphs need more than 13 + 1
    EXPECT_EQ(ListRowHeight(-20, 16), 22);  // 20 + 2 suffices
    EXPECT_EQ(ListRowHeight(30, 20), 33);   // a positive height counts the same
}

TEST(FitListColumns, GrowsKindAndTimeAtTheTitlesCost) {
    const std::array<int, kListColumnCount> fits = {0, 30, 40, 100, 100};
    EXPECT_EQ(FitListColumns(fits), (std::array<int, kListColumnCount>{0, 40, 43, 230, 128}));
    const std::array<int, kListColumnCount> wide = {0, 62, 47, 500, 500};
    EXPECT_EQ(FitListColumns(wide), (std::array<int, kListColumnCount>{0, 62, 47, 204, 128}));
    const std::array<int, kListColumnCount> huge = {0, 300, 100, 0, 0};
    EXPECT_EQ(FitListColumns(huge)[3], kMinTitleWidth);
}

TEST(CellMargin, TwiceASpaceLessTenButRoomForTheArrow) {
    EXPECT_EQ(CellMargin(3), kMinCellMargin);
    EXPECT_EQ(CellMargin(7), kMinCellMargin);
    EXPECT_EQ(CellMargin(8), kMinCellMargin);
    EXPECT_EQ(CellMargin(9), 8);
    EXPECT_EQ(CellMargin(10), 10);
}

}  // namespace
}  // namespace mirelo
