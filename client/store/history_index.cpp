#include "store/history_index.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "store/notification_store.h"
#include "store/store_document.h"

namespace mirelo {

namespace {

constexpr std::size_t kDateDigits = 14;  // yyyymmddhhmmss

int ToInt(const char* text) {
    int value = 0;
    for (; *text >= '0' && *text <= '9' && value < 100000; ++text) value = value * 10 + (*text - '0');
    return value;
}

// "2026-12-07 09:30", "20261207093000" and "2026.12.07 09:30:00" all compare by their digits.
std::string DateOrder(std::string_view date) {
    std::string digits;
    for (char c : date) {
        if (c >= '0' && c <= '9' && digits.size() < kDateDigits) digits += c;
    }
    if (!digits.empty()) digits.resize(kDateDigits, '0');
    return digits;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

// Ranks the rows by a text of each: one sort of the texts, once.
template <typename Text>
void RankRows(std::size_t count, const Text& text, std::vector<std::uint32_t>& rank, std::uint32_t& ranks) {
    std::vector<std::uint32_t> byText(count);
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(), [&](std::uint32_t a, std::uint32_t b) { return text(a) < text(b); });
    rank.assign(count, 0);
    ranks = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0 || text(byText[i - 1]) != text(byText[i])) ++ranks;
        rank[byText[i]] = ranks - 1;
    }
}

}  // namespace

void AppendHistoryRows(const StoreDocument& document, std::vector<HistoryRow>& rows) {
    for (const pugi::xml_node element : document.Root().children("Notification")) {
        HistoryRow& row = rows.emplace_back();
        row.kind = ToInt(element.attribute("applid").value());
        row.date = element.attribute("date").value();
        row.title = element.attribute("title").value();
        row.sender = element.attribute("sender").value();
        row.url = element.attribute("url").value();
        row.order = DateOrder(row.date);
    }
}

HistoryIndex::HistoryIndex(std::vector<HistoryRow> rows, const KindText& kindText) : rows_(std::move(rows)) {
    std::unordered_map<int, std::string> texts;
    kindTexts_.reserve(rows_.size());
    keys_.reserve(rows_.size());
    for (const HistoryRow& row : rows_) {
        auto found = texts.find(row.kind);
        if (found == texts.end()) found = texts.emplace(row.kind, kindText(row.kind)).first;
        kindTexts_.push_back(found->second);
        keys_.push_back(LowerAscii(row.sender + '\n' + row.title + '\n' + found->second));
    }
    const std::size_t count = rows_.size();
    RankRows(
        count, [this](std::uint32_t row) -> const std::string& { return kindTexts_[row]; }, byKind_.rank,
        byKind_.ranks);
    RankRows(
        count, [this](std::uint32_t row) -> const std::string& { return rows_[row].order; }, byDate_.rank,
        byDate_.ranks);
    RankRows(
        count, [this](std::uint32_t row) -> const std::string& { return rows_[row].title; }, byTitle_.rank,
        byTitle_.ranks);
    RankRows(
        count, [this](std::uint32_t row) -> const std::string& { return rows_[row].sender; }, bySender_.rank,
        bySender_.ranks);
    Sort(kHistoryNewestFirst, true);
}

const std::string& HistoryIndex::Cell(std::size_t shown, int column) const {
    static const std::string kNone;
    const std::uint32_t row = visible_[shown];
    switch (column) {
        case kHistoryKind: return kindTexts_[row];
        case kHistoryDate: return rows_[row].date;
        case kHistoryTitle: return rows_[row].title;
        case kHistorySender: return rows_[row].sender;
        default: return kNone;
    }
}

void HistoryIndex::Sort(int column, bool ascending) {
    column_ = column;
    ascending_ = ascending;
    const SortKey& key = column == kHistoryNewestFirst ? byDate_
                         : column == kHistoryKind      ? byKind_
                         : column == kHistoryDate      ? byDate_
                         : column == kHistoryTitle     ? byTitle_
                                                       : bySender_;
    const bool up = column != kHistoryNewestFirst && ascending;
    // A counting sort by rank. Later in the files is newer: the rows are placed from the last one
    // back, so rows of equal text keep that order whichever way the column runs.
    std::vector<std::uint32_t> next(static_cast<std::size_t>(key.ranks) + 1, 0);
    const auto slot = [&key, up](std::uint32_t row) { return up ? key.rank[row] : key.ranks - 1 - key.rank[row]; };
    for (std::uint32_t row = 0; row < rows_.size(); ++row) ++next[slot(row) + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    order_.resize(rows_.size());
    for (std::uint32_t row = static_cast<std::uint32_t>(rows_.size()); row-- > 0;) order_[next[slot(row)]++] = row;
    ApplyFilter();
}

void HistoryIndex::Filter(std::string_view text) {
    filter_ = LowerAscii(text);
    ApplyFilter();
}

void HistoryIndex::ApplyFilter() {
    visible_.clear();
    if (filter_.empty()) {
        visible_ = order_;
        return;
    }
    for (const std::uint32_t row : order_) {
        if (keys_[row].find(filter_) != std::string::npos) visible_.push_back(row);
    }
}

}  // namespace mirelo

namespace mirelo {

HistoryLoad LoadHistory(StoreFiles& files, const TextCodec& codec, const std::vector<std::string>& paths,
                        const HistoryIndex::KindText& kindText) {
    HistoryLoad load;
    std::vector<HistoryRow> rows;
    for (const std::string& path : paths) {
        const StoreFiles::Contents contents = files.Read(path);
        if (contents.state == StoreFiles::State::Missing) continue;
        if (contents.state != StoreFiles::State::Ok) {
            load.problems.push_back(path + " could not be read" +
                                    (contents.error.empty() ? std::string() : ": " + contents.error));
            continue;
        }
        StoreDocument document;
        if (document.Load(contents.bytes, codec) == StoreLoad::Damaged) {
            load.problems.push_back(path + " is damaged: " + document.Damage());
            continue;
        }
        AppendHistoryRows(document, rows);
    }
    load.index = HistoryIndex(std::move(rows), kindText);
    return load;
}

std::string StoreTailDocument(std::string_view head, std::string_view tail) {
    const std::size_t declarationEnd = head.starts_with("<?xml") ? head.find("?>") : std::string_view::npos;
    const std::string_view declaration =
        declarationEnd == std::string_view::npos ? std::string_view() : head.substr(0, declarationEnd + 2);
    // A "<" never stands inside an attribute value, and in the code pages the store is written in it is
    // never the second byte of a character: the first element that starts in the tail starts here.
    constexpr std::string_view kTag = "<Notification";
    std::size_t first = tail.find(kTag);
    while (first != std::string_view::npos && first + kTag.size() < tail.size() &&
           std::string_view(" \t\r\n/>").find(tail[first + kTag.size()]) == std::string_view::npos) {
        first = tail.find(kTag, first + 1);  // "<NotificationList>" and the like
    }
    const std::size_t rootEnd = tail.rfind("</");
    if (first == std::string_view::npos || rootEnd == std::string_view::npos || rootEnd < first) return {};
    std::string text(declaration);
    text += "<NotificationList>";
    text += tail.substr(first, rootEnd - first);
    text += "</NotificationList>";
    return text;
}

HistoryIndex PreviewHistory(const std::vector<std::string>& tailDocuments, const TextCodec& codec,
                            const HistoryIndex::KindText& kindText) {
    std::vector<HistoryRow> rows;
    for (const std::string& text : tailDocuments) {
        if (text.empty()) continue;
        StoreDocument document;
        if (document.Load(text, codec) == StoreLoad::Loaded) AppendHistoryRows(document, rows);
    }
    return HistoryIndex(std::move(rows), kindText);
}

}  // namespace mirelo
