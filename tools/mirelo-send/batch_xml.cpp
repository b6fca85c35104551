#include "batch_xml.h"

#include "text_encoding.h"

#include <iconv.h>

namespace mirelo_send {
namespace {

std::string Escape(const std::string& text, bool attribute) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += attribute ? "&quot;" : "\""; break;
            default: out += c;
        }
    }
    return out;
}

bool KnownEncoding(const std::string& name) {
    const iconv_t cd = iconv_open(name.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

}  // namespace

std::string BatchXml(const BatchDocument& document) {
    std::string xml;
    if (!document.declaredEncoding.empty()) {
        xml += "<?xml version=\"1.0\" encoding=\"" + Escape(document.declaredEncoding, true) + "\"?>\n";
    }
    xml += "<" + document.root + ">\n";
    for (const BatchNotify& notify : document.notifications) {
        xml += "  <notify type=\"" + Escape(notify.type, true) + "\">";
        for (const auto& [name, text] : notify.children) {
            xml += "<" + name + ">" + Escape(text, false) + "</" + name + ">";
        }
        xml += "</notify>\n";
    }
    return xml + "</" + document.root + ">\n";
}

std::optional<std::string> EncodeBatch(const std::string& utf8, const std::string& encoding, std::string* error) {
    if (encoding == "utf-8" || encoding == "UTF-8") return utf8;
    if (!KnownEncoding(encoding)) {
        *error = "unknown encoding '" + encoding + "' (e.g. cp949, cp1252, utf-8)";
        return std::nullopt;
    }
    EncodeFailure failure;
    std::optional<std::string> bytes = EncodeExactly(utf8, encoding, &failure);
    if (!bytes) *error = "the text has characters that " + encoding + " lacks";
    return bytes;
}

}  // namespace mirelo_send
