#pragma once

#include <windows.h>

namespace mirelo {

// The About box: program icon, name, "FileVersion" of the program and the maker's lines; topmost
// and centred on the work area. Modal.
void ShowAboutBox(HWND owner);

}  // namespace mirelo
