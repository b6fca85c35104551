#include "popups/payload_codec.h"

#include "core/text.h"

#include <cstdio>

namespace mirelo {

namespace {

constexpr std::size_t kShortMax = 255;
constexpr std::size_t kLongMax = 65535;
constexpr std::size_t kLinkHeader = 4;

std::string UpToNul(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

}  // namespace

PayloadFields DecodePayload(std::string_view payload, const PayloadLayout& layout) {
    PayloadFields fields(static_cast<std::size_t>(layout.fieldCount));
    std::size_t pos = 0;
    for (int index = 0; index < layout.fieldCount && pos < payload.size(); ++index) {
        const auto byteAt = [&payload](std::size_t at) { return static_cast<unsigned char>(payload[at]); };
        if (layout.stopAtShortZero && payload.size() - pos < 2 && byteAt(pos) == 0) break;
        std::size_t length = 0;
        if (layout.HasLongLength(index)) {
            if (payload.size() - pos < 2) break;
            length = (static_cast<std::size_t>(byteAt(pos)) << 8) | byteAt(pos + 1);
            pos += 2;
        } else {
            length = byteAt(pos);
            pos += 1;
        }
        if (length == 0) continue;
        // A length that runs past the end takes what is there.
        const std::string_view bytes = payload.substr(pos, length);
        // The link field is structured: it is cut at a NUL only after it is taken apart.
        fields[static_cast<std::size_t>(index)] = index == layout.linkIndex ? std::string(bytes) : UpToNul(bytes);
        pos += bytes.size();
    }
    return fields;
}

LinkField ParseLinkField(std::string_view bytes) {
    LinkField link;
    link.typeNumber = ParseInt(bytes.substr(0, 3));
    if (bytes.size() < kLinkHeader) return link;
    const std::size_t nameLength = static_cast<unsigned char>(bytes[3]);
    if (nameLength == 0 || bytes.size() <= kLinkHeader + nameLength) return link;
    link.functionName = UpToNul(bytes.substr(kLinkHeader, nameLength));
    link.openUrl = UpToNul(bytes.substr(kLinkHeader + nameLength));
    return link;
}

std::optional<std::string> EncodePayload(const std::vector<std::string>& fields, const PayloadLayout& layout) {
    std::string payload;
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const std::string& field = fields[index];
        if (layout.HasLongLength(static_cast<int>(index))) {
            if (field.size() > kLongMax) return std::nullopt;
            payload += static_cast<char>(field.size() >> 8);
            payload += static_cast<char>(field.size() & 0xFF);
        } else {
            if (field.size() > kShortMax) return std::nullopt;
            payload += static_cast<char>(field.size());
        }
        payload += field;
    }
    return payload;
}

std::optional<std::string> BuildLinkField(int typeNumber, std::string_view functionName, std::string_view openUrl) {
    if (functionName.size() > kShortMax || typeNumber < 0 || typeNumber > 999) return std::nullopt;
    char type[4];
    std::snprintf(type, sizeof(type), "%03d", typeNumber);
    std::string link(type, 3);
    link += static_cast<char>(functionName.size());
    link += functionName;
    link += openUrl;
    return link;
}

int DecodeFlag(const std::optional<std::string>& field, int previous) {
    if (!field) return previous;
    if (TrimSpaces(*field).empty()) return 1;
    return ParseInt(*field);
}

}  // namespace mirelo
