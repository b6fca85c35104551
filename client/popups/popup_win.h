#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "win/dialog.h"

namespace mirelo {

// Lists of OpenPopupLists (zero-based) that the families use.
enum PopupList : int {
    kListMessage = 0,
    kListBbs = 1,
    kListNotice = 2,
    kListMail = 3,
    kListApproval = 4,
    kListAnimated = 5,
    kListNone = -1,
};

// Command ids shared by every pop-up template.
inline constexpr int kViewButton = 152;
inline constexpr int kHiddenDefaultButton = 153;
inline constexpr int kClipControl = 3000;

// What distinguishes one member of the pop-up family from another, for the shared machinery.
struct PopupLook {
    int templateId = 0;
    int list = kListNone;
    COLORREF background = RGB(255, 255, 255);
    std::string clipName;  // file name of the clip in the program folder, empty for none
    RECT clipRect{};
    bool closeOnClick = true;
    bool closeByCaption = true;  // the title-bar close also closes the other pop-ups of that caption
    bool autoClose = true;       // closes after FloatTime
    bool forceTopmost = false;
    bool bringToTop = false;  // brought to the top after showing, whatever UseBringOnTop says
    int displayPos = -1;      // where it is placed; -1: by DisplayPos
    const char* familyName = "";
};

// The shared behaviour of every pop-up: listing, placement, z-order, View, clip, auto-close,
// closing, and ending the program when the user chose to read the remaining pop-ups first.
class CPopup : public win::Dialog {
public:
    // Creates and shows the window as the family does: lists it, keeps the focus where it was when
    // pop-ups are not brought on top. Returns false when the window could not be created (the object
    // is gone then).
    bool ShowPopup();

    // Closes the auto-closing pop-ups whose time is up, and the oldest beyond those that may be open at
    // once. Timer messages come only when no other message waits: in a flood this closes them instead.
    static void CloseOverdue();

    // Hides the View buttons of every listed pop-up and ends the program when the last one closes.
    static void EnterClosePending();
    static bool ClosePending();

protected:
    explicit CPopup(const PopupLook& look);
    ~CPopup() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int notifyCode) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override;

    // Member specific: what the window needs before it is measured and placed (nothing by default);
    // whether View is offered, what View opens, how the client area is painted.
    // Opening may pump messages and so outlive the pop-up: the opener holds copies of what it needs.
    virtual void PrepareWindow() {}
    virtual bool ViewOffered() const = 0;
    virtual std::function<void()> ViewOpener() const = 0;
    virtual void Paint(HDC dc, const RECT& client) = 0;
    // The outer size the window takes before it is placed; the template's size unless a member
    // sizes itself to its text.
    virtual void FitSize(int& width, int& height) {}

    // Destroys every pop-up of this process whose caption is exactly `caption` (this one included
    // when it matches). This object may be gone afterwards.
    static void DestroyPopupsTitled(const std::string& caption);

    // Draws a text with DrawTextA in the font selected into the device context. On the first paint
    // it also logs the box the text needs in that font beside the box it is drawn in, so that a
    // text its box would cut shows in the log.
    void DrawPopupText(HDC dc, std::string_view role, const std::string& text, RECT box, UINT format);

    // The bounding box of the visible Ok and View buttons in client coordinates; empty without any.
    RECT ButtonsBox() const;

    // Whether the window was made ahead (see popup_spares_win.h) rather than for this pop-up.
    bool MadeAhead() const { return madeAhead_; }
    const PopupLook& Look() const { return look_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    void Place();
    void StartClip();
    void OnView();
    void CloseByCaption();
    void OnPaint();

    PopupLook look_;
    int width_ = 0;
    int height_ = 0;
    HWND clip_ = nullptr;
    bool madeAhead_ = false;
    bool textsLogged_ = false;
    bool loggingTexts_ = false;
};

// The screen's resolution in dots per inch, which the pop-ups' pixel layouts scale to.
int ScreenDpi();

// Creates a font the way every pop-up does: points at the screen's resolution, bold or regular,
// in the pop-up font face of the string table.
HFONT CreatePopupFont(HDC dc, int points, bool bold);

// The ANSI code page's lead-byte test, for the text rules of the platform-free code.
bool IsAnsiLeadByte(unsigned char byte);

// The width in pixels of a text in the font selected into the device context.
int TextWidth(HDC dc, std::string_view text);

// The height of a line of the font selected into the device context.
int LineHeight(HDC dc);

// The box a text needs when drawn from the box's top left corner with this DrawTextA format in the
// font selected into the device context: as wide as the box when it wraps, as tall as its lines.
RECT NeededBox(HDC dc, const std::string& text, const RECT& box, UINT format);

}  // namespace mirelo
