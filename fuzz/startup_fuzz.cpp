// The start-up payload of a link or of a ".xnf" file's text, and the command line that brings it.
#include "../tests/unit/fake_settings_host.h"
#include "core/settings.h"
#include "core/startup_payload.h"
#include "fuzz_support.h"

using namespace mirelo;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static testing::FakeSettingsHost host;
    static ClientSettings settings(host);
    const std::string_view commandLine = fuzz::Bytes(data, size);

    HasAppExit(commandLine);
    if (NamesShortcutFile(commandLine)) fuzz::Require(IsShortcutPath(CommandLinePath(commandLine)), "a .xnf path");
    // The same text as a link and as the bytes read from a shortcut file.
    for (const std::string& payload : {LinkPayload(commandLine), ShortcutPayload(commandLine)}) {
        const std::vector<AppliedField> applied = ApplyStartupPayload(payload, settings);
        fuzz::Require(applied.size() <= static_cast<std::size_t>(kPayloadFieldCount), "at most the known fields");
        const std::string storeName = StoreFileName(settings.UserKey);
        fuzz::Require(storeName.find_first_of("\\/:") == std::string::npos, "the store file stays in its folder");
    }
    return 0;
}
