#include "popups/popup_win.h"

#include <commctrl.h>

#include <deque>
#include <set>

#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "popups/popup_spares_win.h"
#include "popups/popup_text.h"
#include "resources/string_ids.h"
#include "store/support_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

namespace {

constexpr UINT_PTR kAutoCloseTimer = 0;
// Pop-ups that close by themselves and may be open at once. They lie on one another at the place
// DisplayPos gives, so beyond a screenful of them a newer one hides the older: a flood replaces the
// oldest instead of piling windows up (each one costs the user-interface thread and the desktop).
constexpr std::size_t kMaxAutoClosing = 30;

bool g_closePending = false;

// Once the user chose to read the remaining pop-ups first, the client ends when none is left.
void EndWhenAllRead() {
    const ClientSettings& settings = Settings();
    if (settings.QueryCloseApp && g_closePending && !settings.AnyPopupOpen()) {
        Log("last pop-up read: client ends\n");
        PostExitRequest(0);
    }
}

// Every pop-up window of this process, listed or not (close by caption acts on these only).
std::set<HWND>& LivePopups() {
    static std::set<HWND> popups;
    return popups;
}

struct AutoClose {
    HWND window;
    ULONGLONG due;  // GetTickCount64 time
};

// The pop-ups waiting for their FloatTime, oldest first.
std::deque<AutoClose>& AutoClosing() {
    static std::deque<AutoClose> waiting;
    return waiting;
}

}  // namespace

// In a flood of notifications the pop-ups' timers may not come for as long as it lasts: every new
// pop-up, and every read of the socket, first closes those whose time is up.
void CPopup::CloseOverdue() {
    const ULONGLONG now = GetTickCount64();
    const std::deque<AutoClose> snapshot = AutoClosing();
    std::size_t open = snapshot.size();
    for (const AutoClose& popup : snapshot) {
        const bool overdue = popup.due <= now;
        if (!overdue && open < kMaxAutoClosing) continue;
        if (!overdue) Log("pop-up closed before its time: %d pop-ups open\n", static_cast<int>(open));
        if (LivePopups().count(popup.window) != 0) DestroyWindow(popup.window);
        --open;
    }
}

CPopup::CPopup(const PopupLook& look) : Dialog(look.templateId), look_(look) {}

CPopup::~CPopup() = default;

bool CPopup::ShowPopup() {
    if (look_.autoClose) CloseOverdue();
    ClientSettings& settings = Settings();
    if (settings.QueryCloseApp && look_.list != kListNone) {
        settings.OpenPopupLists[static_cast<std::size_t>(look_.list)].push_back(this);
    }
    const HWND previous = settings.UseBringOnTop || look_.bringToTop ? nullptr : GetForegroundWindow();
    // A failed creation deletes this object: only copies may be used after it.
    const void* self = this;
    const int list = look_.list;
    const int templateId = look_.templateId;
    const bool bringToTop = look_.bringToTop;
    // A window made ahead needs no creation now, the costliest step before the pop-up shows.
    const HWND spare = TakeSpareWindow(templateId);
    madeAhead_ = spare != nullptr;
    if (madeAhead_ && !AdoptModeless(spare)) madeAhead_ = false;
    if (!madeAhead_ && !CreateModeless(nullptr)) {
        Log("pop-up template %d could not be created\n", templateId);
        if (list != kListNone) std::erase(settings.OpenPopupLists[static_cast<std::size_t>(list)], self);
        return false;
    }
    // Handing the foreground to another program's window may dispatch messages that close the
    // pop-up: from here on only the copies are used.
    const HWND hwnd = Handle();
    // Not activating the pop-up at all is what keeps the focus where it was: handing the foreground
    // back to another program afterwards is not always allowed.
    ShowWindow(hwnd, previous != nullptr ? SW_SHOWNOACTIVATE : SW_SHOW);
    // A window made ahead left out the template's DS_SETFOREGROUND: it applies now it shows.
    if (madeAhead_ && previous == nullptr && (Dialog::TemplateStyle(templateId) & DS_SETFOREGROUND) != 0) {
        SetForegroundWindow(hwnd);
    }
    if (previous != nullptr && GetForegroundWindow() != previous) SetForegroundWindow(previous);
    if (bringToTop) BringWindowToTop(hwnd);
    // Drawn now: what follows a pop-up (its sound, the history, the windows made ahead) would
    // otherwise keep it blank.
    if (IsWindow(hwnd)) UpdateWindow(hwnd);
    return true;
}

BOOL CPopup::OnInitDialog() {
    LivePopups().insert(Handle());
    PrepareWindow();
    RECT window{};
    GetWindowRect(Handle(), &window);
    width_ = window.right - window.left;
    height_ = window.bottom - window.top;
    FitSize(width_, height_);
    Place();
    const bool view = ViewOffered();
    ShowWindow(GetDlgItem(Handle(), kViewButton), view ? SW_SHOW : SW_HIDE);
    StartClip();
    const ClientSettings& settings = Settings();
    if (look_.autoClose && settings.FloatTime != 0) {
        SetTimer(Handle(), kAutoCloseTimer, static_cast<UINT>(settings.FloatTime), nullptr);
        AutoClosing().push_back(AutoClose{Handle(), GetTickCount64() + static_cast<UINT>(settings.FloatTime)});
    }

    GetWindowRect(Handle(), &window);
    const bool topmost = (GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Log("pop-up %s shown: template %d at (%ld,%ld) size %dx%d topmost %d view %d\n", look_.familyName, look_.templateId,
        window.left, window.top, width_, height_, topmost ? 1 : 0, view ? 1 : 0);
    // Giving a control the focus would activate the pop-up: only when pop-ups come on top.
    return settings.UseBringOnTop || look_.bringToTop ? TRUE : FALSE;
}

void CPopup::Place() {
    const ClientSettings& settings = Settings();
    RECT window{};
    GetWindowRect(Handle(), &window);
    int x = window.left;
    int y = window.top;
    const int displayPos = look_.displayPos >= 0 ? look_.displayPos : settings.DisplayPos;
    if (const auto at = PlaceInWorkArea(settings.WorkArea, width_, height_, displayPos)) {
        x = at->x;
        y = at->y;
    }
    const bool topmost = settings.UseBringOnTop || look_.forceTopmost;
    const UINT activation = settings.UseBringOnTop || look_.bringToTop ? 0 : SWP_NOACTIVATE;
    SetWindowPos(Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, width_, height_, SWP_SHOWWINDOW | activation);
}

void CPopup::StartClip() {
    if (look_.clipName.empty()) return;
    const int dpi = ScreenDpi();
    const RECT r{ScaleToDpi(look_.clipRect.left, dpi), ScaleToDpi(look_.clipRect.top, dpi),
                 ScaleToDpi(look_.clipRect.right, dpi), ScaleToDpi(look_.clipRect.bottom, dpi)};
    clip_ = CreateWindowExA(
        0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_AUTOPLAY, r.left, r.top, r.right - r.left, r.bottom - r.top,
        Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kClipControl)), GetModuleHandleA(nullptr), nullptr);
    if (clip_ == nullptr) return;
    const std::string path = GetProgramFolder() + look_.clipName;
    if (SendMessageA(clip_, ACM_OPENA, 0, reinterpret_cast<LPARAM>(path.c_str())) != 0) {
        SendMessageA(clip_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
        MoveWindow(clip_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        Log("clip playing: %s\n", path.c_str());
    } else {
        ShowWindow(clip_, SW_HIDE);
        Log("clip not found: %s\n", path.c_str());
    }
}

BOOL CPopup::OnCommand(int id, int) {
    switch (id) {
        case kViewButton: OnView(); return TRUE;
        case IDOK:
        case IDCANCEL: DestroyWindow(Handle()); return TRUE;
        default: return FALSE;  // the hidden default button does nothing
    }
}

void CPopup::OnView() {
    // Browser automation and SendMessage to other programs dispatch messages while they wait: a
    // WM_CLOSE or a timer may end this pop-up under the call. Only copies are used once it started.
    const HWND hwnd = Handle();
    const std::weak_ptr<const void> alive = Lifetime();
    const std::function<void()> open = ViewOpener();
    open();
    if (!alive.expired()) DestroyWindow(hwnd);
}

INT_PTR CPopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: OnPaint(); return TRUE;
        case WM_CLOSE:
            if (look_.closeByCaption) {
                CloseByCaption();
            } else {
                DestroyWindow(Handle());
            }
            return TRUE;
        case WM_LBUTTONDOWN:
            if (!look_.closeOnClick) return FALSE;
            DestroyWindow(Handle());
            return TRUE;
        case WM_TIMER:
            KillTimer(Handle(), kAutoCloseTimer);
            DestroyWindow(Handle());
            return TRUE;
        case WM_DESTROY:
            if (clip_ != nullptr) {
                SendMessageA(clip_, ACM_STOP, 0, 0);
                SendMessageA(clip_, ACM_OPENA, 0, 0);
            }
            return FALSE;
        default: return Dialog::OnMessage(message, wParam, lParam);
    }
}

void CPopup::OnPaint() {
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(Handle(), &ps);
    RECT client{};
    GetClientRect(Handle(), &client);
    const HBRUSH brush = CreateSolidBrush(look_.background);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    SetBkMode(dc, TRANSPARENT);
    loggingTexts_ = !textsLogged_;
    Paint(dc, client);
    if (loggingTexts_) {
        const RECT buttons = ButtonsBox();
        Log("pop-up %s buttons at %ld,%ld-%ld,%ld\n", look_.familyName, buttons.left, buttons.top, buttons.right,
            buttons.bottom);
        Log("pop-up %s texts measured\n", look_.familyName);
    }
    textsLogged_ = true;
    loggingTexts_ = false;
    EndPaint(Handle(), &ps);
    if (clip_ != nullptr && IsWindowVisible(clip_)) {
        SendMessageA(clip_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    }
}

void CPopup::CloseByCaption() {
    // The caption no longer matches, then every other pop-up of this process that carries the alert
    // caption goes: with the Korean resources that is every pop-up.
    const std::string caption = Settings().AlertCaption;
    const HWND self = Handle();
    SetWindowTextA(self, (caption + ",").c_str());
    DestroyPopupsTitled(caption);
    DestroyWindow(self);
}

void CPopup::DestroyPopupsTitled(const std::string& caption) {
    const std::set<HWND> snapshot = LivePopups();
    for (HWND popup : snapshot) {
        if (LivePopups().count(popup) == 0) continue;
        char text[256] = {};
        GetWindowTextA(popup, text, sizeof(text));
        if (caption == text) DestroyWindow(popup);
    }
}

void CPopup::OnFinalDestroy() {
    LivePopups().erase(Handle());
    std::erase_if(AutoClosing(), [this](const AutoClose& popup) { return popup.window == Handle(); });
    ClientSettings& settings = Settings();
    if (look_.list != kListNone) {
        auto& list = settings.OpenPopupLists[static_cast<std::size_t>(look_.list)];
        std::erase(list, static_cast<const void*>(this));
    }
    Log("pop-up %s closed\n", look_.familyName);
    EndWhenAllRead();
}

void CPopup::EnterClosePending() {
    for (const auto& list : Settings().OpenPopupLists) {
        for (const void* entry : list) {
            const auto* popup = static_cast<const CPopup*>(entry);
            if (const HWND view = GetDlgItem(popup->Handle(), kViewButton); view != nullptr && IsWindowVisible(view)) {
                ShowWindow(view, SW_HIDE);
            }
        }
    }
    g_closePending = true;
    Log("close pending\n");
    EndWhenAllRead();  // the pop-ups may all have gone while the question was open
}

bool CPopup::ClosePending() { return g_closePending; }

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

HFONT CreatePopupFont(HDC dc, int points, bool bold) {
    const std::string face = win::LoadText(IDS_POPUP_FONT_FACE);
    const int height = -(points * GetDeviceCaps(dc, LOGPIXELSY)) / 72;
    return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

int TextWidth(HDC dc, std::string_view text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void CPopup::DrawPopupText(HDC dc, std::string_view role, const std::string& text, RECT box, UINT format) {
    if (loggingTexts_ && !text.empty()) {
        const RECT need = NeededBox(dc, text, box, format);
        char face[LF_FACESIZE] = "";
        GetTextFaceA(dc, LF_FACESIZE, face);
        Log("pop-up %s text %.*s in \"%s\" needs %ld,%ld-%ld,%ld of %ld,%ld-%ld,%ld\n", look_.familyName,
            static_cast<int>(role.size()), role.data(), face, need.left, need.top, need.right, need.bottom, box.left,
            box.top, box.right, box.bottom);
    }
    DrawTextA(dc, text.c_str(), -1, &box, format);
}

RECT CPopup::ButtonsBox() const {
    RECT box{};
    for (const int id : {IDOK, kViewButton}) {
        const HWND button = GetDlgItem(Handle(), id);
        if (button == nullptr || !IsWindowVisible(button)) continue;
        RECT r{};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        UnionRect(&box, &box, &r);
    }
    return box;
}

RECT NeededBox(HDC dc, const std::string& text, const RECT& box, UINT format) {
    RECT need = box;
    DrawTextA(dc, text.c_str(), -1, &need, format | DT_CALCRECT);
    return need;
}

int LineHeight(HDC dc) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    return metrics.tmHeight;
}

}  // namespace mirelo
