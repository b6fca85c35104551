#pragma once

#include <windows.h>

namespace mirelo::win {

// Base of every window of the client: one window procedure binds the object to its HWND at
// WM_NCCREATE and routes messages to OnMessage. A window created with SelfDeleting set deletes
// its object after WM_NCDESTROY.
class Window {
public:
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }

    // Registers a window class whose procedure routes to Window objects (once per class name).
    static bool RegisterClass(const char* className, UINT classStyle, HBRUSH background, HICON icon);

    bool Create(const char* className, const char* title, DWORD style, DWORD exStyle, HWND parent);

protected:
    explicit Window(bool selfDeleting) : selfDeleting_(selfDeleting) {}
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool selfDeleting_;
};

}  // namespace mirelo::win
