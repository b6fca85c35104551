#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mirelo {

inline constexpr char kMacroSection[] = "Macro";

// What macro expansion needs of the program folder's Mirelo.ini.
class MacroSource {
public:
    virtual ~MacroSource() = default;
    // The key names of section "Macro", in file order.
    virtual std::vector<std::string> ReadMacroNames() = 0;
    // The value of one key of section "Macro", the key name itself when the key has none.
    virtual std::string ReadMacroValue(const std::string& name) = 0;
};

// The macros of one run: the names read from the INI file and the replacement of each.
class MacroTable {
public:
    // Reads the section unless the table already holds macros. A site without macros reads its
    // (empty) section again on every call; once filled, later changes to the file are not seen.
    void Load(MacroSource& source);
    // The replacement of a name, nullptr when the name is no macro.
    const std::string* Find(std::string_view name) const;
    bool Empty() const { return values_.empty(); }

private:
    std::vector<std::string> names_;
    std::map<std::string, std::string, std::less<>> values_;
};

// Replaces every "$name$" of the text by the macro's value and continues after the inserted value.
// A name that is no macro loses just its two "$" signs; a "$" without a partner stays.
std::string ExpandMacros(std::string_view text, MacroTable& table, MacroSource& source);

// Splits a list of NUL-terminated names, as the INI reader returns the keys of a section; the list
// ends at the first empty name or at the end of the buffer.
std::vector<std::string> SplitNameList(std::string_view buffer);

}  // namespace mirelo
