#include "core/file_types.h"

namespace mirelo {

std::string ViewerOpenCommand(std::string_view suiteFolder) {
    return std::string(suiteFolder) + "\\bin\\qxview.exe /V /P  %1";
}

bool ShortcutEditFlagsNeedUpdate(std::string_view valueRead) { return valueRead.size() < 3 || valueRead[2] != 1; }

}  // namespace mirelo
