#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirelo {

// How one notification kind lays out its binary payload: a fixed sequence of fields, each a length
// (one byte, or two bytes high byte first for the link field and a long body) followed by that
// many bytes of text.
struct PayloadLayout {
    int fieldCount = 0;
    int linkIndex = -1;  // the structured link field, with a two-byte length
    int longIndex = -1;  // another field with a two-byte length (the message body), or -1
    // The message kind also stops when fewer than two bytes remain and the next length byte is 0.
    bool stopAtShortZero = false;

    bool HasLongLength(int index) const { return index == linkIndex || index == longIndex; }
};

inline constexpr PayloadLayout kBbsLayout{10, 7};
inline constexpr PayloadLayout kMailLayout{9, 6};
inline constexpr PayloadLayout kScheduleLayout{8, 5};
inline constexpr PayloadLayout kApprovalLayout{11, 8};
// Messages: the body (field 5) has a two-byte length too. Notices: the flag is the last field.
inline constexpr PayloadLayout kMessageLayout{8, 7, 5, true};
inline constexpr PayloadLayout kNoticeLayout{7, 5};

// One decoded field: nullopt when the payload ended before it or gave it length 0. A NUL byte
// inside a field ends its text; the link field keeps all its bytes, and ParseLinkField cuts its
// function name and its URL each at their own first NUL.
using PayloadFields = std::vector<std::optional<std::string>>;

PayloadFields DecodePayload(std::string_view payload, const PayloadLayout& layout);

// The link field: a three-digit type number, a one-byte function-name length, the JavaScript
// function name and the URL to open.
struct LinkField {
    int typeNumber = 0;
    std::string functionName;
    std::string openUrl;
};

LinkField ParseLinkField(std::string_view bytes);

// The encoder the server uses, for tools and tests. Returns nullopt when a field does not fit
// its length prefix (255 bytes, or 65,535 for the two-byte fields) or the function name is longer
// than 255 bytes.
std::optional<std::string> EncodePayload(const std::vector<std::string>& fields, const PayloadLayout& layout);
std::optional<std::string> BuildLinkField(int typeNumber, std::string_view functionName, std::string_view openUrl);

// A flag field: absent keeps the previous value; present but blank after trimming means 1;
// otherwise its atoi value.
int DecodeFlag(const std::optional<std::string>& field, int previous);

}  // namespace mirelo
