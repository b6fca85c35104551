#include "popups/alert_popup_win.h"

#include <algorithm>
#include <string>

#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "popups/alert_layout.h"
#include "popups/popup_text.h"
#include "resources/resource.h"
#include "resources/string_ids.h"
#include "store/alert_payload.h"
#include "store/browser_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr COLORREF kText = RGB(255, 255, 255);
constexpr COLORREF kSkinColour = RGB(47, 95, 160);  // shown for an instant before the skin is drawn
constexpr int kRegionCorner = 10;
constexpr int kHeaderCellHeight = 15;
constexpr int kRowCellHeight = 12;
constexpr int kLabelIds[] = {IDS_TITLE_LABEL, IDS_SENDER_LABEL, IDS_DATE_LABEL};

// A button of template 213: its id, its place in dialog units and its face.
struct SkinButton {
    int id;
    int templateX;
    int templateY;
    int bitmapId;
    int width;
    int height;
};
constexpr SkinButton kButtons[] = {
    {kViewButton, 106, 75, IDB_ALERT_VIEW, 65, 22},
    {IDOK, 146, 75, IDB_ALERT_CLOSE, 44, 22},
    {IDC_ALERT_CLOSE_ALL, 162, 4, IDB_ALERT_CLOSE_ALL, 16, 16},
};

PopupLook AlertLook() {
    PopupLook look;
    look.templateId = IDD_ALERT;
    look.list = kListApproval;  // alerts share their list with the approval pop-ups
    look.background = kSkinColour;
    look.closeOnClick = false;  // the surface drags the window instead
    look.familyName = "alert";
    return look;
}

// The face "돋움" by its UTF-16 name, so that it is found whatever the ANSI code page.
win::UniqueFont AlertFont(int cellHeight, bool bold) {
    return win::UniqueFont(CreateFontW(cellHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH, L"\uB3CB\uC6C0"));
}

HBITMAP LoadSkinBitmap(int id) { return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

// The skin, loaded with the first alert and kept for the process: every alert draws the same
// bitmaps, and loading them held up each alert's window.
struct SkinBitmaps {
    HBITMAP background = LoadSkinBitmap(IDB_ALERT_BACKGROUND);
    HBITMAP view = LoadSkinBitmap(IDB_ALERT_VIEW);
    HBITMAP close = LoadSkinBitmap(IDB_ALERT_CLOSE);
    HBITMAP closeAll = LoadSkinBitmap(IDB_ALERT_CLOSE_ALL);
};

const SkinBitmaps& Skin() {
    static const SkinBitmaps skin;
    return skin;
}

void DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& to) {
    if (bitmap == nullptr) return;
    const HDC memory = CreateCompatibleDC(dc);
    {
        const win::SelectedObject selected(memory, bitmap);
        BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
}

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

CAlertPopup::CAlertPopup(AlertContent content) : CPopup(AlertLook()), content_(std::move(content)) {
    for (int i = 0; i < kAlertRowCount; ++i) labels_[i] = win::LoadText(kLabelIds[i]);
}

void CAlertPopup::PrepareWindow() {
    const SkinBitmaps& skin = Skin();
    background_ = skin.background;
    viewFace_ = skin.view;
    closeFace_ = skin.close;
    closeAllFace_ = skin.closeAll;
    if (!MadeAhead()) LayOutAlertWindow(Handle());
}

std::function<void()> CAlertPopup::ViewOpener() const {
    // Without a size the browser window takes the work area.
    return [url = content_.viewUrl] { OpenInBrowser(url, 0, 0); };
}

BOOL CAlertPopup::OnCommand(int id, int notifyCode) {
    if (id != IDC_ALERT_CLOSE_ALL) return CPopup::OnCommand(id, notifyCode);
    win::Log("alert close-all\n");
    // This pop-up is among those destroyed: nothing of it may be used afterwards.
    DestroyPopupsTitled(kAlertWindowCaption);
    return TRUE;
}

INT_PTR CAlertPopup::Result(LRESULT result) {
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CAlertPopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST: {
            // The surface acts as a caption: pressing anywhere but on a button moves the window.
            const LRESULT hit = DefWindowProcA(Handle(), message, wParam, lParam);
            return Result(hit == HTCLIENT ? HTCAPTION : hit);
        }
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(Handle(), &client);
            DrawBitmap(reinterpret_cast<HDC>(wParam), background_, client);
            return Result(TRUE);
        }
        case WM_DRAWITEM: DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        default: return CPopup::OnMessage(message, wParam, lParam);
    }
}

void CAlertPopup::DrawButton(const DRAWITEMSTRUCT& item) {
    HBITMAP face = nullptr;
    switch (item.CtlID) {
        case kViewButton: face = viewFace_; break;
        case IDOK: face = closeFace_; break;
        case IDC_ALERT_CLOSE_ALL: face = closeAllFace_; break;
        default: return;
    }
    DrawBitmap(item.hDC, face, item.rcItem);
    // The faces carry no words: the caption of the language in use goes on top, pressed a pixel lower.
    char caption[64] = {};
    GetWindowTextA(item.hwndItem, caption, sizeof(caption));
    const win::UniqueFont font = AlertFont(kRowCellHeight, false);
    const win::SelectedObject selected(item.hDC, font.Get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, kText);
    RECT text = item.rcItem;
    if ((item.itemState & ODS_SELECTED) != 0) OffsetRect(&text, 1, 1);
    DrawTextA(item.hDC, caption, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CAlertPopup::Paint(HDC dc, const RECT& client) {
    DrawBitmap(dc, background_, client);
    if (firstPaintPending_) {
        content_.message = PrepareRowText(content_.message, kAlertRowLimit, IsAnsiLeadByte);
        content_.senderLine = PrepareRowText(content_.senderLine, kAlertRowLimit, IsAnsiLeadByte);
        firstPaintPending_ = false;
    }
    SetTextColor(dc, kText);
    const bool hasHeader = !content_.header.empty();
    const win::UniqueFont rowFont = AlertFont(kRowCellHeight, false);
    const win::SelectedObject selected(dc, rowFont.Get());
    int widestLabel = 0;
    for (const std::string& label : labels_) widestLabel = std::max(widestLabel, TextWidth(dc, label));
    const AlertLayout layout = LayoutAlert(Width(), hasHeader, Settings().LabelGap, widestLabel);
    if (hasHeader) {
        const win::UniqueFont headerFont = AlertFont(kHeaderCellHeight, true);
        const win::SelectedObject bold(dc, headerFont.Get());
        // One line: a title too long for it ends in "..." rather than wrapping out of sight.
        constexpr UINT kHeaderFormat = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
        RECT header = ToRect(layout.header);
        header.bottom = FitBottom(header.top, header.bottom, LineHeight(dc));
        DrawPopupText(dc, "header", content_.header, header, kHeaderFormat);
    }
    const std::string* values[] = {&content_.message, &content_.senderLine, &content_.date};
    for (int n = 0; n < kAlertRowCount; ++n) {
        const std::string index = std::to_string(n);
        DrawPopupText(dc, "label" + index, labels_[n], ToRect(layout.labels[n]), DT_NOPREFIX);
        // The first two values are prepared (their "&" doubled); the date is drawn as received.
        DrawPopupText(dc, "value" + index, *values[n], ToRect(layout.values[n]),
                      DT_END_ELLIPSIS | (n < 2 ? 0 : DT_NOPREFIX));
    }
}

void LayOutAlertWindow(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, kAlertSkinWidth, kAlertSkinHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The buttons sit where the template puts them on the skin, each the size of its face, whatever
    // the dialog font makes of the template's units.
    for (const SkinButton& button : kButtons) {
        const Rect place = SkinButtonRect(button.templateX, button.templateY, button.width, button.height);
        SetWindowPos(GetDlgItem(window, button.id), nullptr, place.left, place.top, place.Width(), place.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT r{};
    GetWindowRect(window, &r);
    const HRGN region =
        CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, kRegionCorner, kRegionCorner);
    // The window owns the region from here on and frees the one it had.
    if (region != nullptr && SetWindowRgn(window, region, TRUE) == 0) DeleteObject(region);
    SetWindowTextA(window, kAlertWindowCaption);
}

void ShowAlert(const AlertRecord& record) {
    AlertContent content{record.title, record.message, record.senderName, record.inDate,
                         ViewUrl(record.href, Settings().UserID)};
    auto* popup = new CAlertPopup(std::move(content));
    if (!popup->ShowPopup()) return;
    const HWND window = popup->Handle();
    NotifyLocalApps(record.forwardCode);
    if (IsWindow(window)) UpdateWindow(window);
}

}  // namespace mirelo
