#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/string_table.h"
#include "popups/approval_text.h"

namespace mirelo {

struct ReceivedListItem;

// The received-list window's columns: a hidden one for the row image, then kind, time, title, sender.
inline constexpr int kListColumnCount = 5;
inline constexpr int kListFixedColumns = 0;  // the last column that cannot be resized; sorted by image

struct ListColumn {
    int headerTextId;
    int width;  // pixels
};
extern const std::array<ListColumn, kListColumnCount> kListColumns;

// A colour as Windows writes it (0x00BBGGRR); 0 stands for the window text colour.
using RowColour = std::uint32_t;
inline constexpr RowColour kDefaultRowColour = 0;
inline constexpr RowColour kApprovalRowColour = 0x00FF0000;  // pure blue

// What a row keeps besides its texts.
struct RowData {
    RowColour colour = kDefaultRowColour;
    std::string link;  // at most kMaxRowLink characters
    int kind = 0;
};
inline constexpr std::size_t kMaxRowLink = 254;

// One row of the list control.
struct ListRow {
    std::array<std::string, kListColumnCount> texts;
    int image = 0;
    unsigned state = 0;  // the control's item state, carried along when rows move
    RowData data;
};

// The string id of a row's kind text (first match of the table), kNoKindText when it has none.
inline constexpr int kNoKindText = 0;
// Every text the kind column can show.
extern const std::array<int, 11> kListKindTextIds;
int ListKindTextId(int kind, int code, char docKindChar, char actionChar);

// The kind text itself; the public-review text goes through the macros.
std::string ListKindText(int kind, int code, char docKindChar, char actionChar, const TextLoader& loadText,
                         const MacroExpander& expandMacros);

// Approval rows ("결재") are blue; every other row takes the window text colour.
RowColour ListRowColour(const std::string& kindText, const TextLoader& loadText);

// The title column: the display subject, with "(" document-kind character, action character ")"
// after it when ShowApprConst is on.
std::string ListTitle(const ReceivedListItem& item, bool showApprConst);

ListRow BuildListRow(const ReceivedListItem& item, bool showApprConst, const TextLoader& loadText,
                     const MacroExpander& expandMacros);

// A header text: the string-table text after one space.
std::string ListHeaderText(int column, const TextLoader& loadText);

// Sorts rows by a column: columns after the fixed ones by their text (bytes of the code page, so
// "hh:mm" times sort within a day), the fixed ones by row image. Rows with equal keys stay unswapped.
void SortListRows(std::vector<ListRow>& rows, int column, bool ascending, int fixedColumns);

// How a window that shows `rows` rows brings them up to the item list: when its rows are still in
// arrival order and only new items came in, the new ones go on top and the oldest rows beyond the
// list's end go; otherwise (a sorted window, a first fill) every row is written again.
struct RowSync {
    bool refill = false;
    std::size_t insertOnTop = 0;  // items 0 .. insertOnTop-1 go to rows 0 .. insertOnTop-1
    std::size_t keepRows = 0;     // rows beyond this count are deleted afterwards
};
RowSync PlanRowSync(std::size_t rows, bool inArrivalOrder, std::uint64_t shownAdded, std::uint64_t added,
                    std::size_t items);

// The height of a row: the font's height and a tenth of it, but at least the height the font's
// glyphs actually take (with the line under the row), so that no row cuts its text.
int ListRowHeight(int fontHeight, int textHeight);

// Column widths for the font actually selected: the kind and time columns grow to their widest
// text (needed, margins included) and the title column gives up what they took, down to
// kMinTitleWidth. Where everything fits, the widths stay as described.
inline constexpr int kMinTitleWidth = 120;
std::array<int, kListColumnCount> FitListColumns(const std::array<int, kListColumnCount>& needed);

// The margin inside header items and cells: twice the width of a space less 10 pixels, but at least
// kMinCellMargin, which still leaves room to draw the sort arrow.
inline constexpr int kMinCellMargin = 6;
int CellMargin(int spaceWidth);

}  // namespace mirelo
