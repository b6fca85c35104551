#include "win/message_box.h"

#include "win/log.h"
#include "win/nested_loop.h"

namespace mirelo::win {

int ShowMessageBox(HWND owner, const std::string& text, UINT flags, const std::string& caption) {
    Log("message box: %s\n", text.c_str());
    const NestedLoop modal;
    const int answer = MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    Log("message box answered %d\n", answer);
    return answer;
}

}  // namespace mirelo::win
