#pragma once

#include <libxml/parser.h>

#include <string>
#include <string_view>

namespace mirelo {

// What libxml2, a conforming parser independent of the one the client uses, finds wrong with a
// document: "" when it reads it as well-formed. Nothing is fetched from the network.
inline std::string LibXml2Complaint(xmlDocPtr document) {
    if (document != nullptr) {
        xmlFreeDoc(document);
        return {};
    }
    const xmlError* error = xmlGetLastError();
    return error != nullptr && error->message != nullptr ? error->message : "not well-formed";
}

inline std::string LibXml2ComplaintAboutFile(const std::string& path) {
    xmlResetLastError();
    return LibXml2Complaint(
        xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

inline std::string LibXml2ComplaintAboutText(std::string_view text) {
    xmlResetLastError();
    return LibXml2Complaint(xmlReadMemory(text.data(), static_cast<int>(text.size()), "text.xml", nullptr,
                                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

}  // namespace mirelo
