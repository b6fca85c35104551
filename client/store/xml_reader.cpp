#include "store/xml_reader.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace mirelo {

namespace {

// Large inputs go to the parser in pieces, as its length argument is an int.
constexpr std::size_t kPiece = std::size_t{1} << 26;

struct ParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

// What pugixml keeps when it reads the text itself: the same nodes as the tree builder makes.
constexpr unsigned kTreeOptions = pugi::parse_full;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Builds the pugixml tree from the parser's events. Text arrives in pieces (per line, per entity)
// and is gathered until the next node starts.
class TreeBuilder {
public:
    explicit TreeBuilder(pugi::xml_document& document) : current_(document) {}

    void Attach(XML_Parser parser) {
        parser_ = parser;
        XML_SetUserData(parser, this);
        XML_SetXmlDeclHandler(parser,
                              [](void* self, const XML_Char* version, const XML_Char* encoding, int standalone) {
                                  static_cast<TreeBuilder*>(self)->Declaration(version, encoding, standalone);
                              });
        XML_SetElementHandler(
            parser,
            [](void* self, const XML_Char* name, const XML_Char** attributes) {
                static_cast<TreeBuilder*>(self)->Start(name, attributes);
            },
            [](void* self, const XML_Char*) { static_cast<TreeBuilder*>(self)->End(); });
        XML_SetCharacterDataHandler(parser, [](void* self, const XML_Char* text, int length) {
            static_cast<TreeBuilder*>(self)->Text(text, length);
        });
        XML_SetCdataSectionHandler(
            parser, [](void* self) { static_cast<TreeBuilder*>(self)->Flush(); },
            [](void* self) { static_cast<TreeBuilder*>(self)->Append(pugi::node_cdata); });
        XML_SetCommentHandler(parser, [](void* self, const XML_Char* text) {
            auto* builder = static_cast<TreeBuilder*>(self);
            builder->Flush();
            builder->current_.append_child(pugi::node_comment).set_value(text);
        });
        XML_SetProcessingInstructionHandler(parser, [](void* self, const XML_Char* target, const XML_Char* data) {
            auto* builder = static_cast<TreeBuilder*>(self);
            builder->Flush();
            pugi::xml_node node = builder->current_.append_child(pugi::node_pi);
            node.set_name(target);
            node.set_value(data);
        });
    }

private:
    void Declaration(const XML_Char* version, const XML_Char* encoding, int standalone) {
        pugi::xml_node node = current_.append_child(pugi::node_declaration);
        if (version != nullptr) node.append_attribute("version") = version;
        if (encoding != nullptr) node.append_attribute("encoding") = encoding;
        if (standalone >= 0) node.append_attribute("standalone") = standalone == 1 ? "yes" : "no";
    }

    // Text spelt by a reference counts as content even when it is a blank, as it does for pugixml.
    void Text(const XML_Char* text, int length) {
        int offset = 0;
        int size = 0;
        const char* context = XML_GetInputContext(parser_, &offset, &size);
        const bool literal =
            XML_GetCurrentByteCount(parser_) > 0 && context != nullptr && offset < size && context[offset] != '&';
        if (!literal) referenced_ = true;
        text_.append(text, static_cast<std::size_t>(length));
    }

    void Start(const XML_Char* name, const XML_Char** attributes) {
        Flush();
        current_ = current_.append_child(name);
        for (const XML_Char** pair = attributes; *pair != nullptr; pair += 2) {
            current_.append_attribute(pair[0]).set_value(pair[1]);
        }
    }

    void End() {
        Flush();
        current_ = current_.parent();
    }

    // Text outside a CDATA section becomes a text node unless it is only literal whitespace.
    void Flush() {
        if (!referenced_ && std::all_of(text_.begin(), text_.end(), IsXmlSpace)) {
            text_.clear();
            return;
        }
        Append(pugi::node_pcdata);
    }

    void Append(pugi::xml_node_type type) {
        current_.append_child(type).set_value(text_.c_str());
        text_.clear();
        referenced_ = false;
    }

    XML_Parser parser_ = nullptr;
    pugi::xml_node current_;
    std::string text_;
    bool referenced_ = false;  // some of text_ came from a reference
};

// Sets *found when the document has a document type declaration.
void NoteDoctype(XML_Parser parser, bool* found) {
    XML_SetUserData(parser, found);
    XML_SetStartDoctypeDeclHandler(parser, [](void* found, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        *static_cast<bool*>(found) = true;
    });
}

XmlVerdict Parse(std::string_view bytes, XmlBytes encoding, TreeBuilder* builder, bool* doctype = nullptr) {
    const Parser parser(XML_ParserCreate(encoding == XmlBytes::Utf8 ? "UTF-8" : nullptr));
    if (!parser) throw std::bad_alloc();
    if (builder != nullptr) builder->Attach(parser.get());
    if (doctype != nullptr) NoteDoctype(parser.get(), doctype);
    bool ok = true;
    do {
        const std::size_t size = std::min(bytes.size(), kPiece);
        const bool last = size == bytes.size();
        ok = XML_Parse(parser.get(), bytes.data(), static_cast<int>(size), last) == XML_STATUS_OK;
        bytes.remove_prefix(size);
    } while (ok && !bytes.empty());
    XmlVerdict verdict;
    if (ok) return verdict;
    const XML_Error code = XML_GetErrorCode(parser.get());
    if (code == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
    const XML_LChar* reason = XML_ErrorString(code);
    verdict.reason = reason != nullptr ? reason : "not well-formed";
    verdict.line = static_cast<unsigned long>(XML_GetCurrentLineNumber(parser.get()));
    verdict.column = static_cast<unsigned long>(XML_GetCurrentColumnNumber(parser.get())) + 1;
    verdict.offset = static_cast<long long>(XML_GetCurrentByteIndex(parser.get()));
    return verdict;
}

// The code point of the UTF-8 sequence at text[i] and its length; a length of 0 for bytes that are
// no valid sequence.
std::pair<char32_t, std::size_t> DecodeAt(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return {lead, 1};
    const std::size_t extra = lead >= 0xF0 && lead <= 0xF4  ? 3
                              : lead >= 0xE0 && lead < 0xF0 ? 2
                              : lead >= 0xC2 && lead < 0xE0 ? 1
                                                            : 0;
    if (extra == 0 || i + extra >= text.size()) return {0, 0};
    char32_t c = lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (next & 0x3F);
    }
    const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
    if (overlong || c > 0x10FFFF) return {0, 0};
    return {c, extra + 1};
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string XmlVerdict::Describe() const {
    return reason + " at line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte " +
           std::to_string(offset) + ")";
}

XmlVerdict ReadXml(std::string_view bytes, XmlBytes encoding, pugi::xml_document& document) {
    document.reset();
    // Without a document type declaration pugixml's own parser makes the same tree from the checked
    // UTF-8 text, at a fraction of the cost of building it node by node.
    if (encoding == XmlBytes::Utf8) {
        bool doctype = false;
        const XmlVerdict verdict = Parse(bytes, encoding, nullptr, &doctype);
        if (!verdict.WellFormed()) return verdict;
        if (!doctype && document.load_buffer(bytes.data(), bytes.size(), kTreeOptions, pugi::encoding_utf8)) {
            return verdict;
        }
        document.reset();
    }
    TreeBuilder builder(document);
    XmlVerdict verdict = Parse(bytes, encoding, &builder);
    if (!verdict.WellFormed()) document.reset();
    return verdict;
}

XmlVerdict CheckXml(std::string_view bytes, XmlBytes encoding) { return Parse(bytes, encoding, nullptr); }

std::string XmlSafeText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto [c, length] = DecodeAt(utf8, i);
        if (length == 0 || !IsXmlChar(c)) {
            out += ' ';
            i += std::max<std::size_t>(length, 1);
            continue;
        }
        out.append(utf8.substr(i, length));
        i += length;
    }
    return out;
}

}  // namespace mirelo
