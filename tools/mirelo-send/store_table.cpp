#include "store_table.h"

#include <algorithm>
#include <array>

#include "core/code_page.h"

namespace mirelo_send {
namespace {

struct Column {
    std::string_view heading;
    std::string_view attribute;
};

constexpr std::array<Column, 8> kColumns = {{
    {"id", "id"},
    {"kind", "applid"},
    {"flag", "type"},
    {"date", "date"},
    {"title", "title"},
    {"sender", "sender"},
    {"function", "openfunction"},
    {"url", "url"},
}};

constexpr std::string_view kCut = "...";

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

int Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The code points of a UTF-8 text, each with the byte offset where it ends.
std::vector<std::pair<char32_t, std::size_t>> CodePoints(std::string_view utf8) {
    std::vector<std::pair<char32_t, std::size_t>> points;
    const std::u16string units = mirelo::Utf8ToUtf16(utf8);
    std::size_t end = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        end += Utf8Length(c);
        points.emplace_back(c, end);
    }
    return points;
}

// Control characters would break the rows: they are shown as blanks.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return text;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Cut(const std::string& text, int width) {
    if (DisplayWidth(text) <= width) return text;
    const int room = width - static_cast<int>(kCut.size());
    int used = 0;
    std::size_t kept = 0;
    for (const auto& [c, end] : CodePoints(text)) {
        used += IsWide(c) ? 2 : 1;
        if (used > room) break;
        kept = end;
    }
    return text.substr(0, kept) + std::string(kCut);
}

std::string Padded(const std::string& text, int width) {
    return text + std::string(static_cast<std::size_t>(std::max(0, width - DisplayWidth(text))), ' ');
}

std::string Cell(const mirelo::StoreEntry& entry, const Column& column) {
    const std::string value = entry.Get(column.attribute);
    return column.attribute == "applid" ? KindName(value) : value;
}

}  // namespace

int DisplayWidth(std::string_view utf8) {
    int width = 0;
    for (const auto& point : CodePoints(utf8)) width += IsWide(point.first) ? 2 : 1;
    return width;
}

std::string KindName(std::string_view kind) {
    const std::string number(kind);
    std::string_view name;
    if (number == "1")
        name = "bbs";
    else if (number == "2")
        name = "mail";
    else if (number == "3")
        name = "schedule";
    else if (number == "4" || number == "5" || number == "6" || number == "7" || number == "11")
        name = "approval";
    else if (number == "8" || number == "9")
        name = "message";
    else if (number == "10")
        name = "notice";
    else if (number == "20")
        name = "alert";
    return name.empty() ? number : number + " " + std::string(name);
}

std::string FormatStoreTable(const std::vector<mirelo::StoreEntry>& entries, const StoreTableOptions& options) {
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back();
    for (const Column& column : kColumns) rows.back().emplace_back(column.heading);
    for (const mirelo::StoreEntry& entry : entries) {
        rows.emplace_back();
        for (const Column& column : kColumns) {
            const std::string value = Cell(entry, column);
            rows.back().push_back(options.tsv ? Escaped(value) : Cut(OneLine(value), options.width));
        }
    }
    std::string out;
    if (options.tsv) {
        for (const auto& row : rows) {
            for (std::size_t i = 0; i < row.size(); ++i) out += (i == 0 ? "" : "\t") + row[i];
            out += '\n';
        }
        return out;
    }
    std::vector<int> widths(kColumns.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string line;
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            line += (i == 0 ? "" : "  ") + (i + 1 == rows[r].size() ? rows[r][i] : Padded(rows[r][i], widths[i]));
        }
        out += line + '\n';
        if (r == 0) {
            std::string rule;
            for (std::size_t i = 0; i < widths.size(); ++i) rule += (i == 0 ? "" : "  ") + std::string(widths[i], '-');
            out += rule + '\n';
        }
    }
    return out;
}

}  // namespace mirelo_send
