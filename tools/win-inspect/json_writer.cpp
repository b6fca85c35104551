#include "json_writer.h"

#include <cstdio>

namespace winspect {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!firstInScope_.empty()) {
        if (!firstInScope_.back()) {
            out_ += ',';
        }
        firstInScope_.back() = false;
    }
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    out_ += bracket;
    firstInScope_.push_back(true);
}

void JsonWriter::Close(char bracket) {
    out_ += bracket;
    if (!firstInScope_.empty()) {
        firstInScope_.pop_back();
    }
}

void JsonWriter::BeginObject() { Open('{'); }

void JsonWriter::EndObject() { Close('}'); }

void JsonWriter::BeginArray() { Open('['); }

void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(std::string_view key) {
    String(key);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::String(std::string_view value) {
    BeforeValue();
    out_ += '"';
    for (char c : value) {
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out_ += escaped;
                } else {
                    // Bytes from 0x80 up are UTF-8 sequences and stay as they are.
                    out_ += c;
                }
        }
    }
    out_ += '"';
}

void JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::UInt(std::uint64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
}

void JsonWriter::Field(std::string_view key, std::string_view value) {
    Key(key);
    String(value);
}

void JsonWriter::Field(std::string_view key, const char* value) { Field(key, std::string_view(value)); }

void JsonWriter::Field(std::string_view key, bool value) {
    Key(key);
    Bool(value);
}

void JsonWriter::Reset() {
    out_.clear();
    firstInScope_.clear();
    afterKey_ = false;
}

}  // namespace winspect
