#include "store/store_document.h"

#include <algorithm>
#include <array>

#include "core/text.h"
#include "store/euc_kr.h"
#include "store/xml_reader.h"

namespace mirelo {

namespace {

constexpr unsigned kParseOptions = pugi::parse_full;

// Names under which files declare code page 949 or its EUC-KR part.
constexpr std::array<std::string_view, 9> kKoreanEncodings = {
    "euc-kr", "ks_c_5601-1987", "ks_c_5601", "cp949", "windows-949", "x-windows-949", "uhc", "korean", "cseuckr"};

// The encoding named by the XML declaration at the start of the bytes, "" when there is none.
std::string_view DeclaredEncoding(std::string_view bytes) {
    if (!bytes.starts_with("<?xml")) return {};
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    std::size_t pos = declaration.find("encoding");
    if (pos == std::string_view::npos) return {};
    pos = declaration.find_first_of("\"'", pos);
    if (pos == std::string_view::npos) return {};
    const std::size_t end = declaration.find(declaration[pos], pos + 1);
    if (end == std::string_view::npos) return {};
    return declaration.substr(pos + 1, end - pos - 1);
}

bool DeclaresKorean(std::string_view bytes) {
    const std::string_view name = DeclaredEncoding(bytes);
    for (std::string_view korean : kKoreanEncodings) {
        if (EqualsNoCase(name, korean)) return true;
    }
    return false;
}

bool IsLeadOrAscii(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The file offset of a position in the text decoded from code page 949, when every character before
// it outside ASCII came from a pair of bytes.
long long FileOffset(std::string_view decoded, std::size_t at) {
    long long offset = 0;
    for (const char c : decoded.substr(0, at)) {
        if ((static_cast<unsigned char>(c) & 0x80) == 0) {
            ++offset;
        } else if (IsLeadOrAscii(c)) {
            offset += 2;
        }
    }
    return offset;
}

// The offset of the first bytes that are no character of code page 949 by their form (a byte 0x80 or
// 0xFF, a lead byte without a trail byte), npos when there are none.
std::size_t FirstMalformedPair(std::string_view bytes) {
    const auto isTrail = [](unsigned char c) {
        return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) continue;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size() ||
            !isTrail(static_cast<unsigned char>(bytes[i + 1]))) {
            return i;
        }
        ++i;
    }
    return std::string_view::npos;
}

// Bytes a reader of the declared encoding refuses: pairs of the wrong form, and pairs the code page
// leaves undefined, which decode to U+FFFD (no character of code page 949 is U+FFFD).
XmlVerdict CheckEucKr(std::string_view bytes, std::string_view decoded) {
    std::size_t at = FirstMalformedPair(bytes);
    if (const std::size_t replacement = decoded.find("\xEF\xBF\xBD"); replacement != std::string_view::npos) {
        at = std::min(at, static_cast<std::size_t>(FileOffset(decoded, replacement)));
    }
    if (at == std::string_view::npos) return {};
    const std::string_view before = bytes.substr(0, at);
    const std::size_t lineStart = before.rfind('\n') + 1;  // 0 when there is none
    unsigned long column = 1;
    for (std::size_t i = lineStart; i < at; ++i, ++column) {
        if ((static_cast<unsigned char>(bytes[i]) & 0x80) != 0) ++i;
    }
    const auto line = static_cast<unsigned long>(std::count(before.begin(), before.end(), '\n') + 1);
    return {"bytes that are not EUC-KR", line, column, static_cast<long long>(at)};
}

bool IsAscii(const char* text) {
    for (; *text != '\0'; ++text) {
        if ((static_cast<unsigned char>(*text) & 0x80) != 0) return false;
    }
    return true;
}

// A name EUC-KR cannot spell would be written as a character reference, which a name may not hold.
// Finds the first such element, attribute or processing instruction name.
class UnwritableName final : public pugi::xml_tree_walker {
public:
    explicit UnwritableName(const TextCodec& codec) : codec_(codec) {}

    bool for_each(pugi::xml_node& node) override {
        Test(node.name());
        for (pugi::xml_attribute attribute : node.attributes()) Test(attribute.name());
        return found.empty();
    }

    std::string found;

private:
    void Test(const char* name) {
        if (found.empty() && !IsAscii(name) && Utf8ToEucKrXml(name, codec_).find("&#") != std::string::npos) {
            found = name;
        }
    }

    const TextCodec& codec_;
};

// Stops at the first text node: pugixml writes text as it stands, and only a document without text is
// known to read back as it was written.
class TextFinder final : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        found = node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
        return !found;
    }
    bool found = false;
};

class StringWriter final : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

}  // namespace

std::string StoreEntry::Get(std::string_view name) const {
    for (const auto& [key, value] : attributes) {
        if (key == name) return value;
    }
    return {};
}

StoreDocument::StoreDocument() { Reset(); }

void StoreDocument::Reset() { document_.load_string(kEmptyStoreText, kParseOptions); }

StoreLoad StoreDocument::Load(std::string_view bytes, const TextCodec& codec) {
    damage_.clear();
    if (bytes.empty()) {
        Reset();
        return StoreLoad::Empty;
    }
    XmlVerdict verdict;
    if (DeclaresKorean(bytes)) {
        const std::string text = EucKrToUtf8(bytes, codec);
        verdict = CheckEucKr(bytes, text);
        if (verdict.WellFormed()) {
            verdict = ReadXml(text, XmlBytes::Utf8, document_);
            verdict.offset = FileOffset(text, static_cast<std::size_t>(std::max(verdict.offset, 0LL)));
        }
    } else {
        verdict = ReadXml(bytes, XmlBytes::Declared, document_);
    }
    if (!verdict.WellFormed()) {
        damage_ = verdict.Describe();
    } else if (UnwritableName names(codec); !document_.traverse(names)) {
        damage_ = "the name " + names.found + " has characters EUC-KR lacks";
    }
    if (!damage_.empty()) {
        Reset();
        return StoreLoad::Damaged;
    }
    DeclareEucKr();
    return StoreLoad::Loaded;
}

void StoreDocument::DeclareEucKr() {
    pugi::xml_node declaration = document_.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = document_.prepend_child(pugi::node_declaration);
    }
    const std::string standalone = declaration.attribute("standalone").value();
    while (pugi::xml_attribute attribute = declaration.first_attribute()) declaration.remove_attribute(attribute);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "EUC-KR";
    if (!standalone.empty()) declaration.append_attribute("standalone") = standalone.c_str();
}

void StoreDocument::Append(const NotificationRecord& record, int id, const TextCodec& codec) {
    pugi::xml_node element = document_.document_element().append_child("Notification");
    // Characters a document may not hold become blanks: pugixml would write them as references
    // that no conforming reader accepts.
    const auto set = [&element](const char* name, const std::string& value) {
        element.append_attribute(name).set_value(XmlSafeText(value).c_str());
    };
    set("id", std::to_string(id));
    set("applid", std::to_string(record.kind));
    set("type", std::to_string(record.flag));
    set("date", AnsiToUtf8(record.date, codec));
    set("title", AnsiToUtf8(record.subject, codec));
    set("sender", AnsiToUtf8(record.sender, codec));
    set("openfunction", AnsiToUtf8(record.functionName, codec));
    set("url", AnsiToUtf8(record.openUrl, codec));
}

std::string StoreDocument::Serialize(const TextCodec& codec) const {
    StringWriter writer;
    document_.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    return Utf8ToEucKrXml(writer.text, codec);
}

std::string StoreDocument::SerializeChildren(const TextCodec& codec) const {
    StringWriter writer;
    for (pugi::xml_node child : Root().children()) {
        child.print(writer, "\t", pugi::format_default, pugi::encoding_utf8, 1);
    }
    return Utf8ToEucKrXml(writer.text, codec);
}

std::optional<std::size_t> StoreDocument::AppendPoint(std::string_view serialized, const TextCodec& codec) const {
    const pugi::xml_node root = Root();
    if (document_.last_child() != root || root.last_child().type() != pugi::node_element) return std::nullopt;
    TextFinder text;
    pugi::xml_node whole = document_;
    whole.traverse(text);
    if (text.found) return std::nullopt;
    const std::string close = "</" + Utf8ToEucKrXml(root.name(), codec) + ">\n";
    if (!serialized.ends_with(close)) return std::nullopt;
    return serialized.size() - close.size();
}

std::vector<StoreEntry> StoreDocument::Entries() const {
    std::vector<StoreEntry> entries;
    for (pugi::xml_node element : document_.document_element().children("Notification")) {
        StoreEntry& entry = entries.emplace_back();
        for (pugi::xml_attribute attribute : element.attributes()) {
            entry.attributes.emplace_back(attribute.name(), attribute.value());
        }
    }
    return entries;
}

std::size_t StoreDocument::Count() const {
    std::size_t count = 0;
    for ([[maybe_unused]] pugi::xml_node element : Root().children("Notification")) ++count;
    return count;
}

StoreDocument StoreDocument::CopyOldest(std::size_t count) const {
    StoreDocument copy;
    pugi::xml_node root = copy.document_.document_element();
    for (pugi::xml_node element = Root().child("Notification"); element && count > 0;
         element = element.next_sibling("Notification"), --count) {
        root.append_copy(element);
    }
    return copy;
}

void StoreDocument::RemoveOldest(std::size_t count) {
    pugi::xml_node root = Root();
    for (; count > 0; --count) {
        const pugi::xml_node element = root.child("Notification");
        if (!element) break;
        root.remove_child(element);
    }
}

}  // namespace mirelo
