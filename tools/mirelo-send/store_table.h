#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/store_document.h"

namespace mirelo_send {

struct StoreTableOptions {
    bool tsv = false;  // tab-separated values, whole, with a header line
    int width = 30;    // table: the widest a column gets, in terminal columns
};

// The stored notifications as a table for a terminal: id, kind, flag, date, title, sender, function
// and URL, aligned by display width (a Hangul syllable takes two columns), long values cut with "...".
std::string FormatStoreTable(const std::vector<mirelo::StoreEntry>& entries, const StoreTableOptions& options);

// How many terminal columns the UTF-8 text takes.
int DisplayWidth(std::string_view utf8);

// The kind number with its name: "2 mail".
std::string KindName(std::string_view kind);

}  // namespace mirelo_send
