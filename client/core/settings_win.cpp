#include "core/settings_win.h"

#include <windows.h>

#include "store/support_win.h"
#include "win/resources.h"

#include <vector>

namespace mirelo {

namespace {

class Win32SettingsHost final : public SettingsHost {
public:
    std::string ProgramPath() override {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        return path;
    }

    std::string ExpandAppData() override {
        char expanded[MAX_PATH] = {};
        const DWORD length = ExpandEnvironmentStringsA("%appdata%", expanded, MAX_PATH);
        return length > 0 && length <= MAX_PATH ? std::string(expanded) : std::string("%appdata%");
    }

    bool IsDirectory(const std::string& path) override { return DirectoryExists(path); }
    bool IsFile(const std::string& path) override { return FileExists(path); }
    void MakeDirectory(const std::string& path) override { CreateDirectoryA(path.c_str(), nullptr); }
    void CopyFileOver(const std::string& from, const std::string& to) override {
        CopyFileA(from.c_str(), to.c_str(), FALSE);
    }

    std::string ReadProfile(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& defaultText, std::size_t bufferSize) override {
        std::vector<char> buffer(bufferSize + 1, '\0');
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(),
                                 static_cast<DWORD>(bufferSize), path.c_str());
        return buffer.data();
    }

    void WriteProfile(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value) override {
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    }

    Rect WorkArea() override {
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        return {area.left, area.top, area.right, area.bottom};
    }

    unsigned TickCount() override { return GetTickCount(); }
    std::string LoadText(int stringId) override { return win::LoadText(stringId); }
};

// Defined in this order so that the settings are destroyed, and saved, before their host.
Win32SettingsHost g_host;
ClientSettings g_settings(g_host);

}  // namespace

ClientSettings& Settings() { return g_settings; }

void RefreshWorkArea() { g_settings.WorkArea = g_host.WorkArea(); }

}  // namespace mirelo
