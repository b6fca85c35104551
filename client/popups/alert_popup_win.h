#pragma once

#include <string>

#include "popups/popup_win.h"
#include "win/handles.h"

namespace mirelo {

struct AlertRecord;

// The window caption every alert pop-up carries; close-all looks for it.
inline constexpr char kAlertWindowCaption[] = "Alert_UNI";

// What an alert pop-up shows and opens.
struct AlertContent {
    std::string header;  // the title; no header line when empty
    std::string message;
    std::string senderLine;
    std::string date;
    std::string viewUrl;
};

// The skinned alert pop-up: no caption bar, a background bitmap with rounded corners, bitmap buttons
// and white text; dragged by its surface. View is always offered.
class CAlertPopup final : public CPopup {
public:
    explicit CAlertPopup(AlertContent content);

protected:
    void PrepareWindow() override;
    bool ViewOffered() const override { return true; }
    std::function<void()> ViewOpener() const override;
    void Paint(HDC dc, const RECT& client) override;
    BOOL OnCommand(int id, int notifyCode) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void DrawButton(const DRAWITEMSTRUCT& item);
    INT_PTR Result(LRESULT result);

    AlertContent content_;
    std::string labels_[3];
    // The shared skin's bitmaps (not owned).
    HBITMAP background_ = nullptr;
    HBITMAP viewFace_ = nullptr;
    HBITMAP closeFace_ = nullptr;
    HBITMAP closeAllFace_ = nullptr;
    bool firstPaintPending_ = true;
};

// Sizes a window of the alert template to the skin, puts the buttons on it, rounds its corners and
// gives it the alerts' caption: all of an alert's window that does not depend on what it shows.
void LayOutAlertWindow(HWND window);

// Shows a new alert pop-up for the record and tells the local notifier windows.
void ShowAlert(const AlertRecord& record);

}  // namespace mirelo
