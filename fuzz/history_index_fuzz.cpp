// The history window's reader: the store file as it lies on disk, read whole and from its tail, then
// sorted by every column and filtered. The rows stay a permutation of what was read, in order.
#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "store/history_index.h"
#include "store/notification_store.h"

using namespace mirelo;

namespace {

// The files of one input: the store holds the bytes, the history file is missing.
class InputFiles final : public StoreFiles {
public:
    explicit InputFiles(std::string_view bytes) : bytes_(bytes) {}
    Contents Read(const std::string& path) override {
        if (path != "store.xml") return {};
        return {State::Ok, std::string(bytes_), {}};
    }
    std::string Replace(const std::string&, std::span<const std::string_view>) override { return "read only"; }
    Move MoveAside(const std::string&, const std::string&, std::string*) override { return Move::Failed; }

private:
    std::string_view bytes_;
};

std::string KindText(int kind) { return kind == 2 ? "\xbf\xec\xc6\xed" : kind == 1 ? "BBS" : ""; }

void CheckSorted(HistoryIndex& index, int column, bool ascending) {
    index.Sort(column, ascending);
    fuzz::Require(index.Size() == index.Total(), "sorting keeps every row");
    std::vector<const HistoryRow*> shown;
    for (std::size_t i = 0; i < index.Size(); ++i) shown.push_back(&index.Row(i));
    std::sort(shown.begin(), shown.end());
    fuzz::Require(std::adjacent_find(shown.begin(), shown.end()) == shown.end(), "every row is shown once");
    for (std::size_t i = 1; i < index.Size(); ++i) {
        const HistoryRow& before = index.Row(i - 1);
        const HistoryRow& row = index.Row(i);
        if (column == kHistoryNewestFirst) {
            fuzz::Require(before.order >= row.order, "newest first");
        } else if (column == kHistoryDate) {
            fuzz::Require(ascending ? before.order <= row.order : before.order >= row.order, "by date");
        } else {
            const std::string& a = index.Cell(i - 1, column);
            const std::string& b = index.Cell(i, column);
            fuzz::Require(ascending ? a <= b : a >= b, "by the column's text");
        }
    }
}

void Exercise(HistoryIndex& index, std::string_view typed) {
    for (const int column : {kHistoryKind, kHistoryDate, kHistoryTitle, kHistorySender}) {
        CheckSorted(index, column, true);
        CheckSorted(index, column, false);
    }
    CheckSorted(index, kHistoryNewestFirst, true);
    index.Filter(typed);
    fuzz::Require(index.Size() <= index.Total(), "the filter only hides rows");
    for (std::size_t i = 0; i < index.Size(); ++i) {
        for (int column = 0; column <= kHistorySender + 1; ++column) (void)index.Cell(i, column);
    }
    index.Filter("");
    fuzz::Require(index.Size() == index.Total(), "an empty filter shows every row");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    const std::string_view typed = bytes.substr(0, std::min<std::size_t>(size, 3));

    InputFiles files(bytes);
    HistoryLoad load = LoadHistory(files, fuzz::Codec(), {"store.xml", "history.xml"}, KindText);
    fuzz::Require(load.problems.size() <= 1, "one problem at most, for the store");
    if (!load.problems.empty()) fuzz::Require(load.index.Total() == 0, "a damaged file adds no rows");
    Exercise(load.index, typed);

    // The first rows come from the file's first bytes and its tail, wherever the tail starts.
    const std::string_view head = bytes.substr(0, std::min(size, kHistoryHeadBytes));
    const std::string_view tail = bytes.substr(size / 3);
    const std::string document = StoreTailDocument(head, tail);
    HistoryIndex preview = PreviewHistory({document}, fuzz::Codec(), KindText);
    if (document.empty()) fuzz::Require(preview.Total() == 0, "no tail document, no rows");
    if (preview.Total() > 0) Exercise(preview, typed);
    return 0;
}
