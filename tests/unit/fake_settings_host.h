#pragma once

#include "core/settings.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace mirelo::testing {

// An in-memory file system of INI files that records every profile read and write in order.
class FakeSettingsHost : public SettingsHost {
public:
    using Section = std::map<std::string, std::string>;
    using IniFile = std::map<std::string, Section>;

    std::string programPath = "C:\\Program Files\\Mirelo\\Mirelo.exe";
    std::string appData = "C:\\Users\\kim\\AppData\\Roaming";
    std::map<std::string, IniFile> files;
    std::set<std::string> directories;
    std::vector<std::string> journal;  // "read <file> <key>", "write <file> <key>=<value>", "copy", "mkdir"
    Rect workArea{0, 0, 1280, 1000};
    unsigned tick = 123456;
    bool failMakeDirectory = false;

    std::string ProgramIni() const { return "C:\\Program Files\\Mirelo\\Mirelo.ini"; }
    std::string UserFolder() const { return appData + "\\Tessel Groupware 8\\"; }
    std::string UserIni() const { return UserFolder() + "Mirelo.ini"; }
    Section& UserServer() { return files[UserIni()]["Server"]; }

    std::string ProgramPath() override { return programPath; }
    std::string ExpandAppData() override { return appData; }
    bool IsDirectory(const std::string& path) override { return directories.count(path) != 0; }
    bool IsFile(const std::string& path) override { return files.count(path) != 0; }
    void MakeDirectory(const std::string& path) override {
        journal.push_back("mkdir " + path);
        if (!failMakeDirectory) directories.insert(path);
    }
    void CopyFileOver(const std::string& from, const std::string& to) override {
        journal.push_back("copy " + from + " -> " + to);
        if (files.count(from) != 0) files[to] = files[from];
    }
    std::string ReadProfile(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& defaultText, std::size_t bufferSize) override {
        journal.push_back("read " + key);
        std::string value = defaultText;
        const auto file = files.find(path);
        if (file != files.end()) {
            const auto sec = file->second.find(section);
            if (sec != file->second.end()) {
                const auto entry = sec->second.find(key);
                if (entry != sec->second.end()) value = entry->second;
            }
        }
        return value.substr(0, bufferSize - 1);
    }
    void WriteProfile(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value) override {
        journal.push_back("write " + key + "=" + value);
        files[path][section][key] = value;
    }
    Rect WorkArea() override { return workArea; }
    unsigned TickCount() override { return tick; }
    std::string LoadText(int stringId) override { return "[text " + std::to_string(stringId) + "]"; }

    // The keys read or written, in order, from the journal entries that start with `verb`.
    std::vector<std::string> Keys(const std::string& verb) const {
        std::vector<std::string> keys;
        for (const auto& line : journal) {
            if (line.rfind(verb + " ", 0) != 0) continue;
            std::string key = line.substr(verb.size() + 1);
            key = key.substr(0, key.find('='));
            keys.push_back(key);
        }
        return keys;
    }
};

}  // namespace mirelo::testing
