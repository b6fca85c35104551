#include "core/settings_win.h"

#include <windows.h>

#include "core/profile_section.h"
#include "store/support_win.h"
#include "win/resources.h"

#include <map>
#include <string_view>
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
        sections_.clear();
        CopyFileA(from.c_str(), to.c_str(), FALSE);
    }

    std::string ReadProfile(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& defaultText, std::size_t bufferSize) override {
        if (const ProfileSection* read = Section(path, section)) {
            return read->Find(key, bufferSize).value_or(defaultText.substr(0, bufferSize > 0 ? bufferSize - 1 : 0));
        }
        std::vector<char> buffer(bufferSize + 1, '\0');
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(),
                                 static_cast<DWORD>(bufferSize), path.c_str());
        return buffer.data();
    }

    void WriteProfile(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value) override {
        sections_.clear();
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    }

    Rect WorkArea() override {
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        return {area.left, area.top, area.right, area.bottom};
    }

    void ReadingDone() override { sections_.clear(); }

    unsigned TickCount() override { return GetTickCount(); }
    std::string LoadText(int stringId) override { return win::LoadText(stringId); }

private:
    // The settings are read in passes, dozens of keys of one section each, and every
    // GetPrivateProfileString opens and checks the file again (under Wine a quarter of a millisecond
    // each): a section is read once, whole, and kept until the pass is over or the program writes a
    // profile or copies a file. Null for a section too large to keep: its keys are read one by one.
    const ProfileSection* Section(const std::string& path, const std::string& section) {
        const std::string name = path + '\n' + section;
        if (const auto found = sections_.find(name); found != sections_.end()) return &found->second;
        constexpr std::size_t kLargestSection = 1u << 20;
        std::vector<char> buffer(4096);
        for (;;) {
            const DWORD length = GetPrivateProfileSectionA(section.c_str(), buffer.data(),
                                                           static_cast<DWORD>(buffer.size()), path.c_str());
            // A section that did not fit comes back cut, its length two short of the buffer's.
            if (static_cast<std::size_t>(length) + 2 < buffer.size()) {
                const std::string_view entries(buffer.data(), length);
                return &sections_.emplace(name, ProfileSection(entries)).first->second;
            }
            if (buffer.size() >= kLargestSection) return nullptr;
            buffer.resize(buffer.size() * 2);
        }
    }

    std::map<std::string, ProfileSection> sections_;  // by path and section name
};

// Defined in this order so that the settings are destroyed, and saved, before their host.
Win32SettingsHost g_host;
ClientSettings g_settings(g_host);

}  // namespace

ClientSettings& Settings() { return g_settings; }

void RefreshWorkArea() { g_settings.WorkArea = g_host.WorkArea(); }

}  // namespace mirelo
