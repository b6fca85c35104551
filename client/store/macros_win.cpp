#include "store/macros_win.h"

#include <windows.h>

#include "core/settings.h"
#include "store/macros.h"
#include "store/support_win.h"

namespace mirelo {

namespace {

// The INI reader fills buffers of this size; a longer list of names or a longer value is cut.
constexpr DWORD kMacroBufferSize = 260;

class ProgramIniMacroSource final : public MacroSource {
public:
    std::vector<std::string> ReadMacroNames() override {
        char buffer[kMacroBufferSize] = {};
        const std::string path = IniPath();
        GetPrivateProfileStringA(kMacroSection, nullptr, "", buffer, kMacroBufferSize, path.c_str());
        return SplitNameList(std::string_view(buffer, kMacroBufferSize));
    }

    std::string ReadMacroValue(const std::string& name) override {
        char buffer[kMacroBufferSize] = {};
        const std::string path = IniPath();
        GetPrivateProfileStringA(kMacroSection, name.c_str(), name.c_str(), buffer, kMacroBufferSize, path.c_str());
        return buffer;
    }

private:
    static std::string IniPath() { return GetProgramFolder() + kIniFileName; }
};

}  // namespace

std::string ExpandMacros(const std::string& text) {
    static ProgramIniMacroSource source;
    static MacroTable table;
    return ExpandMacros(text, table, source);
}

}  // namespace mirelo
