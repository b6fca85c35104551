#include "store/browser_win.h"

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <shellapi.h>

#include "core/code_page_win.h"
#include "popups/popup_text.h"
#include "web/url_policy.h"
#include "win/log.h"
#include "win/lazy_library.h"
#include "win/nested_loop.h"

namespace mirelo {

namespace {

Rect WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return {area.left, area.top, area.right, area.bottom};
}

HWND BrowserWindow(IWebBrowser2* browser) {
    SHANDLE_PTR handle = 0;
    return SUCCEEDED(browser->get_HWND(&handle)) ? reinterpret_cast<HWND>(handle) : nullptr;
}

// Drives Internet Explorer; false when its automation object cannot be created.
bool OpenInInternetExplorer(const std::string& url, const Rect& target) {
    IWebBrowser2* browser = nullptr;
    if (FAILED(LAZY_CALL(Ole32, CoCreateInstance, E_FAIL, CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER,
                         IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) ||
        browser == nullptr) {
        return false;
    }
    browser->put_ToolBar(FALSE);
    browser->put_MenuBar(VARIANT_FALSE);
    browser->put_AddressBar(VARIANT_TRUE);
    browser->put_StatusBar(VARIANT_TRUE);
    if (const HWND window = BrowserWindow(browser)) SetFocus(window);
    const bool placed = SUCCEEDED(browser->put_Left(target.left)) && SUCCEEDED(browser->put_Top(target.top)) &&
                        SUCCEEDED(browser->put_Width(target.Width())) &&
                        SUCCEEDED(browser->put_Height(target.Height()));

    const std::u16string wide = SystemCodec().Decode(url, CodePage::Ansi);
    VARIANT address{};  // VT_EMPTY
    address.vt = VT_BSTR;
    address.bstrVal = LAZY_CALL(OleAut32, SysAllocStringLen, nullptr, reinterpret_cast<const OLECHAR*>(wide.data()),
                                static_cast<UINT>(wide.size()));
    VARIANT empty{};
    browser->Navigate2(&address, &empty, &empty, &empty, &empty);
    LAZY_CALL(OleAut32, VariantClear, E_FAIL, &address);
    browser->put_Visible(VARIANT_TRUE);
    if (const HWND window = BrowserWindow(browser)) {
        // Some hosts (Wine among them) do not implement the geometry properties: place the window.
        if (!placed) MoveWindow(window, target.left, target.top, target.Width(), target.Height(), TRUE);
        BringWindowToTop(window);
    }
    browser->Release();
    win::Log("browser: page opened\n");
    return true;
}

}  // namespace

void OpenInBrowser(const std::string& url, int width, int height) {
    if (!IsOpenableUrl(url)) {
        win::Log("browser: refused %s\n", url.c_str());
        return;
    }
    // The automation calls wait for another process and dispatch messages meanwhile.
    const win::NestedLoop pumping;
    const Rect target = FitBrowserWindow(WorkArea(), width, height);
    win::Log("browser: %s at (%d,%d)-(%d,%d)\n", url.c_str(), target.left, target.top, target.right, target.bottom);
    const HRESULT ole = LAZY_CALL(Ole32, OleInitialize, E_FAIL, nullptr);
    if (!OpenInInternetExplorer(url, target)) {
        // Current Windows has retired Internet Explorer: the default browser opens the page.
        win::Log("browser: default browser\n");
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    if (SUCCEEDED(ole)) {
        if (const FARPROC uninitialize = win::Ole32().Find("OleUninitialize")) {
            reinterpret_cast<decltype(&::OleUninitialize)>(reinterpret_cast<void*>(uninitialize))();
        }
    }
}

}  // namespace mirelo
