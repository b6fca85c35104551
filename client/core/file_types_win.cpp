#include "core/file_types_win.h"

#include <windows.h>

#include "core/file_types.h"
#include "win/handles.h"
#include "win/log.h"

#include <string>

namespace mirelo {

namespace {

constexpr DWORD kFolderBufferSize = 1024;

std::string SuiteFolder() {
    char windowsFolder[MAX_PATH] = {};
    GetWindowsDirectoryA(windowsFolder, MAX_PATH);
    const std::string winIni = std::string(windowsFolder) + "\\win.ini";
    char folder[kFolderBufferSize] = {};
    GetPrivateProfileStringA("windows", "TesselDir", "", folder, kFolderBufferSize, winIni.c_str());
    if (folder[0] != '\0') return folder;

    win::UniqueRegistryKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0, KEY_READ,
                      key.Put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD size = kFolderBufferSize - 1;
    if (RegQueryValueExA(key.Get(), "TesselDir", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    folder[kFolderBufferSize - 1] = '\0';
    return folder;
}

void MarkSafeUnder(HKEY root, const char* subkey) {
    win::UniqueRegistryKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return;
    char flags[4] = {};
    DWORD size = sizeof(flags);
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), "EditFlags", nullptr, &type, reinterpret_cast<BYTE*>(flags), &size) !=
        ERROR_SUCCESS) {
        size = 0;
    }
    if (!ShortcutEditFlagsNeedUpdate(std::string_view(flags, size))) return;
    const LONG result = RegSetValueExA(key.Get(), "EditFlags", 0, REG_BINARY, kShortcutEditFlags.data(),
                                       static_cast<DWORD>(kShortcutEditFlags.size()));
    win::Log("EditFlags of %s %s\n", subkey, result == ERROR_SUCCESS ? "written" : "not writable");
}

}  // namespace

void RegisterDocumentViewer() {
    const std::string folder = SuiteFolder();
    if (folder.empty()) return;
    win::UniqueRegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\opt_auto_file\\Shell\\open\\command", 0, KEY_SET_VALUE,
                      key.Put()) != ERROR_SUCCESS) {
        return;
    }
    const std::string command = ViewerOpenCommand(folder);
    const LONG result = RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                       static_cast<DWORD>(command.size() + 1));
    win::Log("viewer command %s: %s\n", result == ERROR_SUCCESS ? "registered" : "not writable", command.c_str());
}

void MarkShortcutTypeSafe() {
    MarkSafeUnder(HKEY_CLASSES_ROOT, "xnf_auto_file");
    MarkSafeUnder(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\xnf_auto_file");
}

}  // namespace mirelo
