#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mirelo_send {

// One notify element of an XML batch: its type attribute and its child elements in the order given.
struct BatchNotify {
    std::string type;
    std::vector<std::pair<std::string, std::string>> children;  // element name, text (UTF-8)
};

struct BatchDocument {
    std::string root = "NotifyList";
    std::string declaredEncoding = "EUC-KR";  // "" writes no declaration
    std::vector<BatchNotify> notifications;
};

// The batch as UTF-8 XML text: declaration, root element, one notify element per notification, texts
// escaped.
std::string BatchXml(const BatchDocument& document);

// The text encoded for the wire: "utf-8" keeps it, any other name is an iconv code page ("cp949",
// "cp1252"). nullopt when the code page is unknown or lacks a character; *error says which.
std::optional<std::string> EncodeBatch(const std::string& utf8, const std::string& encoding, std::string* error);

}  // namespace mirelo_send
