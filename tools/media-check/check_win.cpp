// media-check MEDIA_DIR [HOLD_SECONDS]
//
// Plays the four pop-up clips the way the pop-ups do: one window per clip painted in its pop-up's
// background colour, an animate control (child id 3000, ACS_AUTOPLAY) at the pop-up's rectangle,
// ACM_OPENA with the full path, then ACM_PLAY looping the whole clip. It reads the control's pixels back
// while the clips play and checks that each clip opened, has the rectangle's size, shows the pop-up's
// background in its corner and really moves (several different pictures seen). A missing file must make
// ACM_OPENA return 0. One line per check; after the checks it prints "media-check: OK (0 failed)" (or the
// count) and keeps the clips playing for HOLD_SECONDS (default 0) so that a screenshot can show them.

#include <windows.h>

#include "check_report.h"

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

struct Clip {
    const char* name;
    RECT rect;  // in the pop-up's client area
    COLORREF background;
};

const Clip kClips[] = {
    {"BBSAVI.AVI", {5, 5, 43, 45}, RGB(230, 245, 245)},
    {"MAILAVI.AVI", {5, 5, 55, 45}, RGB(225, 227, 241)},
    {"GSAVI.AVI", {5, 5, 45, 45}, RGB(237, 244, 225)},
    {"SANCAVI.AVI", {10, 5, 50, 45}, RGB(241, 232, 221)},
};
constexpr int kClipCount = sizeof(kClips) / sizeof(kClips[0]);
constexpr int kAnimateId = 3000;
constexpr int kSampleMs = 40;
constexpr int kWatchMs = 2400;  // longer than the longest loop (16 frames at 8 per second)

using check_report::Check;

// Runs the message loop for the given time, so that the controls can paint.
void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The control's current picture, read back from its window as 32-bit pixels (top row first).
std::vector<DWORD> Capture(HWND control, int width, int height) {
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(control);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memoryDc, old);
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(DWORD));
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    DeleteDC(memoryDc);
    ReleaseDC(control, windowDc);
    return pixels;
}

COLORREF ToColorRef(DWORD pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreatePanel(int index, const Clip& clip) {
    // One window class per colour, as each pop-up paints its own background.
    char className[32];
    std::snprintf(className, sizeof(className), "MediaCheckPanel%d", index);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(clip.background);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(WS_EX_TOPMOST, className, clip.name, WS_POPUP | WS_VISIBLE, 40 + index * 150, 40, 130, 60,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: media-check MEDIA_DIR [HOLD_SECONDS]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
    const int holdSeconds = argc > 2 ? std::atoi(argv[2]) : 0;

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_ANIMATE_CLASS};
    Check(InitCommonControlsEx(&controls) != FALSE, "InitCommonControlsEx(ICC_ANIMATE_CLASS)");

    HWND animations[kClipCount] = {};
    for (int i = 0; i < kClipCount; ++i) {
        const Clip& clip = kClips[i];
        const RECT& r = clip.rect;
        HWND panel = CreatePanel(i, clip);
        animations[i] = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_AUTOPLAY, r.left, r.top,
                                        r.right - r.left, r.bottom - r.top, panel,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAnimateId)), nullptr, nullptr);
        const std::string path = folder + clip.name;
        const LRESULT opened = SendMessageA(animations[i], ACM_OPENA, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Check(opened != 0, "ACM_OPENA %s returned %ld", clip.name, static_cast<long>(opened));
        const LRESULT played = SendMessageA(animations[i], ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, -1));
        Check(played != 0, "ACM_PLAY %s (repeat -1, frames 0 to -1) returned %ld", clip.name,
              static_cast<long>(played));
        MoveWindow(animations[i], r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }

    // Sample every control while the clips loop at least once.
    std::set<std::vector<DWORD>> seen[kClipCount];
    bool cornerOk[kClipCount] = {};
    COLORREF corner[kClipCount] = {};
    for (int elapsed = 0; elapsed < kWatchMs; elapsed += kSampleMs) {
        Pump(kSampleMs);
        for (int i = 0; i < kClipCount; ++i) {
            const RECT& r = kClips[i].rect;
            std::vector<DWORD> picture = Capture(animations[i], r.right - r.left, r.bottom - r.top);
            corner[i] = ToColorRef(picture[0]);
            cornerOk[i] = cornerOk[i] || corner[i] == kClips[i].background;
            seen[i].insert(std::move(picture));
        }
    }
    for (int i = 0; i < kClipCount; ++i) {
        const Clip& clip = kClips[i];
        RECT client = {};
        GetClientRect(animations[i], &client);
        Check(client.right == clip.rect.right - clip.rect.left && client.bottom == clip.rect.bottom - clip.rect.top,
              "%s control is %ldx%ld (rectangle %ldx%ld)", clip.name, client.right, client.bottom,
              clip.rect.right - clip.rect.left, clip.rect.bottom - clip.rect.top);
        Check(cornerOk[i], "%s corner pixel RGB(%d,%d,%d), pop-up background RGB(%d,%d,%d)", clip.name,
              GetRValue(corner[i]), GetGValue(corner[i]), GetBValue(corner[i]), GetRValue(clip.background),
              GetGValue(clip.background), GetBValue(clip.background));
        Check(seen[i].size() >= 4, "%s showed %u different pictures in %d ms", clip.name,
              static_cast<unsigned>(seen[i].size()), kWatchMs);
    }

    // What a pop-up meets when the file is not beside the program: ACM_OPENA returns 0.
    const std::string missing = folder + "MISSING.AVI";
    const LRESULT missingResult = SendMessageA(animations[0], ACM_OPENA, 0, reinterpret_cast<LPARAM>(missing.c_str()));
    Check(missingResult == 0, "ACM_OPENA MISSING.AVI returned %ld", static_cast<long>(missingResult));
    SendMessageA(animations[0], ACM_OPENA, 0, reinterpret_cast<LPARAM>((folder + kClips[0].name).c_str()));
    SendMessageA(animations[0], ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, -1));

    std::printf("media-check: %s (%d failed)\n", check_report::Failures() ? "FAILED" : "OK", check_report::Failures());
    std::fflush(stdout);
    Pump(static_cast<DWORD>(holdSeconds) * 1000);
    return check_report::Failures() ? 1 : 0;
}
