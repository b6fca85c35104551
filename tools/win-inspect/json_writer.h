#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace winspect {

template <typename T>
concept NonBoolInteger = std::is_integral_v<T> && !std::is_same_v<T, bool>;

// Builds one compact JSON document. Strings go in as UTF-8 and are escaped; the caller keeps the
// calls balanced (every Begin has its End, every Key is followed by one value).
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);

    void String(std::string_view value);
    void Int(std::int64_t value);
    void UInt(std::uint64_t value);
    void Bool(bool value);
    void Null();

    // Shorthands for a key followed by its value.
    void Field(std::string_view key, std::string_view value);
    void Field(std::string_view key, const char* value);
    void Field(std::string_view key, bool value);

    // Any integer type: the template keeps int, DWORD or LRESULT from being ambiguous with bool.
    template <NonBoolInteger T>
    void Field(std::string_view key, T value) {
        Key(key);
        if constexpr (std::is_signed_v<T>) {
            Int(value);
        } else {
            UInt(value);
        }
    }

    // Drops everything written so far, so an error document can replace a half-written one.
    void Reset();

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    std::string out_;
    std::vector<bool> firstInScope_;
    bool afterKey_ = false;
};

}  // namespace winspect
