#pragma once

#include <string>

namespace mirelo {

// Opens a page of the groupware in a browser window of its own, of the given size (the whole work
// area when a size is 0) centred in the work area. Internet Explorer through its automation object
// first; where that object cannot be created, the default browser. Logs the URL and the rectangle.
// Only http and https URLs are opened: anything else is refused with a log line.
void OpenInBrowser(const std::string& url, int width = 0, int height = 0);

}  // namespace mirelo
