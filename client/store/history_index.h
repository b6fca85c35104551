#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelo {

class StoreDocument;
class StoreFiles;
class TextCodec;

// One notification of the history window, its texts in UTF-8 as the files hold them.
struct HistoryRow {
    int kind = 0;
    std::string date;
    std::string title;
    std::string sender;
    std::string url;
    std::string order;  // the date's digits, what "newest first" compares
};

// Appends the "Notification" elements of a loaded store to rows, in file order.
void AppendHistoryRows(const StoreDocument& document, std::vector<HistoryRow>& rows);

// The history window's columns, as the received list has them (0 is its hidden image column).
enum HistoryColumn : int {
    kHistoryNewestFirst = -1,
    kHistoryKind = 1,
    kHistoryDate = 2,
    kHistoryTitle = 3,
    kHistorySender = 4
};

// The rows of the history window: every notification of the files, an order by column and a filter
// by typed text. Built once on a worker; sorting and filtering then run on an index of the rows,
// so typing stays cheap however long the history is.
class HistoryIndex {
public:
    // The kind column's text of a kind, in UTF-8.
    using KindText = std::function<std::string(int kind)>;

    HistoryIndex() = default;
    // The rows of the files in file order, the older file first; they are shown newest first (by
    // the digits of their date, later in the files first where those are equal).
    HistoryIndex(std::vector<HistoryRow> rows, const KindText& kindText);

    // Keeps the rows whose sender, title or kind text holds the text (ASCII letters in any case).
    void Filter(std::string_view text);
    // Orders by a column's text (kHistoryNewestFirst: newest first); the filter stays.
    void Sort(int column, bool ascending);

    std::size_t Size() const { return visible_.size(); }
    std::size_t Total() const { return rows_.size(); }
    const HistoryRow& Row(std::size_t shown) const { return rows_[visible_[shown]]; }
    // A cell of a shown row, in UTF-8.
    const std::string& Cell(std::size_t shown, int column) const;
    int SortColumn() const { return column_; }
    bool Ascending() const { return ascending_; }
    const std::string& FilterText() const { return filter_; }

private:
    void ApplyFilter();

    // A column's sort key: each row's place among the column's texts (equal texts, equal places),
    // worked out once when the rows are built, so that a click on a header compares no text.
    struct SortKey {
        std::vector<std::uint32_t> rank;  // per row
        std::uint32_t ranks = 0;          // how many different texts
    };

    std::vector<HistoryRow> rows_;
    std::vector<std::string> kindTexts_;  // per row
    std::vector<std::string> keys_;       // per row: what the filter searches, ASCII in lower case
    SortKey byKind_;
    SortKey byDate_;  // by the digits of the date; newest first is this key descending
    SortKey byTitle_;
    SortKey bySender_;
    std::vector<std::uint32_t> order_;    // all rows in the chosen order
    std::vector<std::uint32_t> visible_;  // the rows of order_ that pass the filter
    std::string filter_;
    int column_ = kHistoryNewestFirst;
    bool ascending_ = true;
};

}  // namespace mirelo

namespace mirelo {

// Reads the files (the store, then the history) and builds the window's index. A missing file adds
// nothing; one that cannot be read or is damaged adds nothing and is named in problems.
struct HistoryLoad {
    HistoryIndex index;
    std::vector<std::string> problems;
};
HistoryLoad LoadHistory(StoreFiles& files, const TextCodec& codec, const std::vector<std::string>& paths,
                        const HistoryIndex::KindText& kindText);

// The newest rows at once, before the whole files are read: a store file's first bytes (through its
// declaration) and its last kHistoryTailBytes make a small document of the elements that start in
// that tail. "" when the tail holds no element.
inline constexpr std::size_t kHistoryHeadBytes = 512;
inline constexpr std::size_t kHistoryTailBytes = 256 * 1024;
std::string StoreTailDocument(std::string_view head, std::string_view tail);
// The index of such documents; one that does not load adds nothing (the whole read follows anyway).
HistoryIndex PreviewHistory(const std::vector<std::string>& tailDocuments, const TextCodec& codec,
                            const HistoryIndex::KindText& kindText);

}  // namespace mirelo
