#include "store/store_document.h"

#include <array>
#include <cctype>

#include "store/euc_kr.h"

namespace mirelo {

namespace {

constexpr unsigned kParseOptions = pugi::parse_full;

// Names under which files declare code page 949 or its EUC-KR part.
constexpr std::array<std::string_view, 9> kKoreanEncodings = {
    "euc-kr", "ks_c_5601-1987", "ks_c_5601", "cp949", "windows-949", "x-windows-949", "uhc", "korean", "cseuckr"};

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

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

std::size_t CountRootElements(const pugi::xml_document& document) {
    std::size_t count = 0;
    for (pugi::xml_node node : document.children()) count += node.type() == pugi::node_element;
    return count;
}

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
    pugi::xml_parse_result result;
    if (DeclaresKorean(bytes)) {
        const std::string text = EucKrToUtf8(bytes, codec);
        result = document_.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    } else {
        result = document_.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
    }
    if (!result) {
        damage_ = std::string(result.description()) + " at offset " + std::to_string(result.offset);
    } else if (const std::size_t roots = CountRootElements(document_); roots != 1) {
        damage_ = roots == 0 ? "no root element" : std::to_string(roots) + " root elements";
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
    const auto set = [&element](const char* name, const std::string& value) {
        element.append_attribute(name).set_value(value.c_str());
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

}  // namespace mirelo
