#pragma once

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace mirelo {

// How the bytes given to the reader are encoded.
enum class XmlBytes {
    Utf8,      // UTF-8 whatever the declaration says (the caller converted them)
    Declared,  // as the byte order mark or the declaration says: UTF-8, UTF-16, ISO-8859-1 or US-ASCII
};

// Why a document was refused, "" when it is well-formed.
struct XmlVerdict {
    std::string reason;        // the parser's own words
    unsigned long line = 0;    // from 1
    unsigned long column = 0;  // from 1
    long long offset = 0;      // byte offset in the bytes given

    bool WellFormed() const { return reason.empty(); }
    // "<reason> at line L, column C (byte B)".
    std::string Describe() const;
};

// Reads the bytes with expat, a conforming XML 1.0 parser, into the document. Only a well-formed
// document is accepted; the internal subset's entities and default attributes are applied and the
// document type declaration itself is not kept. Whitespace-only text is dropped, as pugixml's own
// parser does. External entities are never fetched. On refusal the document is left empty.
XmlVerdict ReadXml(std::string_view bytes, XmlBytes encoding, pugi::xml_document& document);

// The same check without building a document.
XmlVerdict CheckXml(std::string_view bytes, XmlBytes encoding);

// The text with every character that XML 1.0 does not allow in a document (controls other than tab,
// line feed and carriage return, U+FFFE, U+FFFF, surrogates, bytes that are not UTF-8) replaced by a
// blank, so that it can be written into a document that any reader accepts.
std::string XmlSafeText(std::string_view utf8);

}  // namespace mirelo
