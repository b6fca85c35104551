#include "store/received_list_rows.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "core/text.h"
#include "reception/notification_record.h"
#include "reception/received_list_item.h"
#include "resources/string_ids.h"

namespace mirelo {

const std::array<ListColumn, kListColumnCount> kListColumns = {{
    {IDS_LISTCOL_TIP, 0},
    {IDS_LISTCOL_KIND, 40},
    {IDS_LISTCOL_TIME, 43},
    {IDS_LISTCOL_TITLE, 230},
    {IDS_LISTCOL_SENDER, 128},
}};

const std::array<int, 11> kListKindTextIds = {
    IDS_LISTKIND_BBS,      IDS_LISTKIND_MAIL,       IDS_NOTIFY_CAPTION,    IDS_LISTKIND_REVIEW,
    IDS_LISTKIND_REJECTED, IDS_LISTKIND_OFFICIAL,   IDS_LISTKIND_RETURNED, IDS_LISTKIND_ADMINISTRATIVE,
    IDS_LISTKIND_ROUTED,   IDS_LISTKIND_DISPATCHED, IDS_LISTKIND_APPROVAL,
};

namespace {

constexpr int kReviewCode = 500;
constexpr int kKindColumn = 1;
constexpr int kTimeColumn = 2;
constexpr int kTitleColumn = 3;

bool IsApprovalKind(int kind) { return kind >= kKindApprovalFirst && kind <= kKindApprovalLast; }

// Orders two rows by the sort column: negative, zero or positive.
int CompareRows(const ListRow& a, const ListRow& b, int column, int fixedColumns) {
    if (column <= fixedColumns) return (a.image > b.image) - (a.image < b.image);
    // std::string compares bytes as unsigned characters: in code page 949 every lead byte lies above
    // every single-byte character, so this is the code page's own byte order.
    const int order = a.texts[static_cast<std::size_t>(column)].compare(b.texts[static_cast<std::size_t>(column)]);
    return (order > 0) - (order < 0);
}

void QuickSort(std::vector<ListRow>& rows, int start, int end, int column, bool ascending, int fixedColumns) {
    while (start < end) {
        // A copy: the pivot row itself may move while the partition runs.
        const ListRow pivot = rows[static_cast<std::size_t>((start + end) / 2)];
        const auto order = [&](int row) {
            const int compared = CompareRows(rows[static_cast<std::size_t>(row)], pivot, column, fixedColumns);
            return ascending ? compared : -compared;
        };
        int i = start;
        int j = end;
        do {
            while (order(i) < 0 && i < end) ++i;
            while (order(j) > 0 && j > start) --j;
            if (i <= j) {
                auto& left = rows[static_cast<std::size_t>(i)];
                auto& right = rows[static_cast<std::size_t>(j)];
                if (CompareRows(left, right, column, fixedColumns) != 0) std::swap(left, right);
                ++i;
                --j;
            }
        } while (j >= i);
        // The two parts are independent: recursing into the smaller one and looping on the larger
        // keeps the stack depth logarithmic whatever the keys.
        if (j - start < end - i) {
            QuickSort(rows, start, j, column, ascending, fixedColumns);
            start = i;
        } else {
            QuickSort(rows, i, end, column, ascending, fixedColumns);
            end = j;
        }
    }
}

}  // namespace

int ListKindTextId(int kind, int code, char docKindChar, char actionChar) {
    if (kind == kKindBbs) return IDS_LISTKIND_BBS;
    if (kind == kKindMail) return IDS_LISTKIND_MAIL;
    if (kind == kKindSchedule || kind == kKindMessage || kind == kKindMessageOther || kind == kKindNotice) {
        return IDS_NOTIFY_CAPTION;
    }
    if (!IsApprovalKind(kind)) return kNoKindText;
    if (code == kReviewCode) return IDS_LISTKIND_REVIEW;
    if (actionChar == '3') return IDS_LISTKIND_REJECTED;
    if ((docKindChar == '6' || docKindChar == 'I') && actionChar == '8') return IDS_LISTKIND_OFFICIAL;
    switch (docKindChar) {
        case 'D': return IDS_LISTKIND_RETURNED;
        case 'J': return IDS_LISTKIND_ADMINISTRATIVE;
        case 'K': return IDS_LISTKIND_ROUTED;
        case 'L': return IDS_LISTKIND_DISPATCHED;
        default: return IDS_LISTKIND_APPROVAL;
    }
}

std::string ListKindText(int kind, int code, char docKindChar, char actionChar, const TextLoader& loadText,
                         const MacroExpander& expandMacros) {
    const int id = ListKindTextId(kind, code, docKindChar, actionChar);
    if (id == kNoKindText) return {};
    std::string text = loadText(id);
    return id == IDS_LISTKIND_REVIEW ? expandMacros(text) : text;
}

RowColour ListRowColour(const std::string& kindText, const TextLoader& loadText) {
    return kindText == loadText(IDS_LISTKIND_APPROVAL) ? kApprovalRowColour : kDefaultRowColour;
}

std::string ListTitle(const ReceivedListItem& item, bool showApprConst) {
    if (!showApprConst) return item.displaySubject;
    return item.displaySubject + '(' + item.documentKindCode + item.actionCode + ')';
}

ListRow BuildListRow(const ReceivedListItem& item, bool showApprConst, const TextLoader& loadText,
                     const MacroExpander& expandMacros) {
    ListRow row;
    const std::string kindText =
        ListKindText(item.kind, item.code, item.documentKindCode, item.actionCode, loadText, expandMacros);
    row.data.colour = ListRowColour(kindText, loadText);
    row.data.link = FitBuffer(item.openUrl, kMaxRowLink + 1);
    row.data.kind = item.kind;
    row.texts = {"", kindText, item.arrivalTime, ListTitle(item, showApprConst), item.shortSender};
    return row;
}

std::string ListHeaderText(int column, const TextLoader& loadText) {
    return FormatText(" %s", {loadText(kListColumns[static_cast<std::size_t>(column)].headerTextId)});
}

void SortListRows(std::vector<ListRow>& rows, int column, bool ascending, int fixedColumns) {
    if (rows.size() < 2 || column < 0 || column >= kListColumnCount) return;
    QuickSort(rows, 0, static_cast<int>(rows.size()) - 1, column, ascending, fixedColumns);
}

RowSync PlanRowSync(std::size_t rows, bool inArrivalOrder, std::uint64_t shownAdded, std::uint64_t added,
                    std::size_t items) {
    RowSync sync;
    const std::uint64_t fresh = added >= shownAdded ? added - shownAdded : added;
    // The rows must be exactly the items the window saw last, less what the list dropped since.
    const bool extendable =
        inArrivalOrder && added >= shownAdded && rows <= shownAdded && fresh <= items && rows + fresh >= items;
    if (!extendable || rows == 0) {
        sync.refill = true;
        sync.keepRows = items;
        return sync;
    }
    sync.insertOnTop = static_cast<std::size_t>(fresh);
    sync.keepRows = items;
    return sync;
}

int ListRowHeight(int fontHeight, int textHeight) {
    const int height = std::abs(fontHeight);
    return std::max(height + height / 10, textHeight + 2);
}

std::array<int, kListColumnCount> FitListColumns(const std::array<int, kListColumnCount>& needed) {
    std::array<int, kListColumnCount> widths{};
    for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = kListColumns[i].width;
    for (int column : {kKindColumn, kTimeColumn}) {
        auto& width = widths[static_cast<std::size_t>(column)];
        const int growth = std::max(needed[static_cast<std::size_t>(column)] - width, 0);
        width += growth;
        auto& title = widths[static_cast<std::size_t>(kTitleColumn)];
        title = std::max(title - growth, kMinTitleWidth);
    }
    return widths;
}

int CellMargin(int spaceWidth) { return std::max(2 * spaceWidth - 10, kMinCellMargin); }

}  // namespace mirelo
