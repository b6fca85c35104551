#include "popups/message_popup_win.h"

#include <algorithm>
#include <string>

#include "core/settings_win.h"
#include "resources/string_ids.h"
#include "store/browser_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr COLORREF kTitleColour = RGB(0, 100, 180);
constexpr int kFrameLeft = 55;  // the white frame, from the client's edges
constexpr int kFrameTop = 16;
constexpr int kFrameRight = 9;
constexpr int kFrameBottom = 28;
constexpr int kTitleLeft = 52;  // before the title offsets
constexpr int kTitleTop = 10;
constexpr int kTitleBottom = 60;
constexpr int kRowsAcross = 50;  // from the pop-up rows' left margin and top
constexpr int kRowsDown = -15;
constexpr int kValueRightMargin = 10;

PopupLook MessageLook(int variant) {
    PopupLook look;
    look.templateId = 135;
    look.list = kListMessage;
    look.closeOnClick = false;
    look.familyName = "message";
    if (variant == 8) {
        look.forceTopmost = true;
        look.displayPos = 0;
    }
    return look;
}

LPCSTR IconName(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation: return IDI_EXCLAMATION;
        case MessageIcon::Error: return IDI_HAND;
        case MessageIcon::Information: break;
    }
    return IDI_ASTERISK;
}

}  // namespace

CMessagePopup::CMessagePopup(MessageContent content)
    : CPopup(MessageLook(content.variant)), content_(std::move(content)) {}

bool CMessagePopup::ViewOffered() const {
    return content_.variant == 9 && !content_.viewUrl.empty() && !content_.functionName.empty() && Settings().UseView;
}

std::function<void()> CMessagePopup::ViewOpener() const {
    return [url = content_.viewUrl] { OpenInBrowser(url); };
}

void CMessagePopup::FitSize(int& width, int& height) {
    const ClientSettings& settings = Settings();
    RECT window{};
    RECT client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    const int frameWidth = (window.right - window.left) - client.right;

    const HDC dc = GetDC(Handle());
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HFONT bold = CreatePopupFont(dc, 10, true);
    const HGDIOBJ original = SelectObject(dc, regular);
    const TextMeasure measure = [dc](std::string_view text) { return TextWidth(dc, text); };

    const std::string subjectLabel = win::LoadText(IDS_SUBJECT_LABEL);
    const std::string senderLabel = win::LoadText(IDS_SENDER_LABEL);
    const std::string contentsLabel = win::LoadText(IDS_CONTENTS_LABEL);
    const std::string dateLabel = win::LoadText(IDS_POSTED_DATE_LABEL);
    // A label column too narrow for the labels in this font grows, and the window with it.
    int widestLabel = 0;
    for (const std::string* label : {&subjectLabel, &senderLabel, &contentsLabel, &dateLabel}) {
        widestLabel = std::max(widestLabel, measure(*label));
    }
    labelWidth_ = FitLabelWidth(settings.MessageLabelWidth, widestLabel);
    const int labelGrowth = labelWidth_ - settings.MessageLabelWidth;

    const std::vector<std::string> lines =
        BoundMessageRows(SplitMessageBody(content_.body), MaxMessageRows(settings.WorkArea), IsAnsiLeadByte);
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, measure(line));
    const std::string subject = RemoveMarkup(content_.subject, IsAnsiLeadByte);
    const std::string date = RemoveMarkup(content_.date, IsAnsiLeadByte);
    const Size size = MessageWindowSize(widest, static_cast<int>(lines.size()), measure(subject),
                                        measure(content_.sender), labelGrowth, settings.WorkArea);
    width = size.width;
    height = size.height;
    win::Log("message pop-up: %d rows, widest %d, label column %d\n", static_cast<int>(lines.size()), widest,
             labelWidth_);

    // What does not fit its column is cut by its width, with "...".
    const int valueLeft = settings.RowLeftMargin + kRowsAcross + labelWidth_ + settings.LabelGap;
    const int valueWidth = width - kValueRightMargin - valueLeft;
    const auto fit = [&](std::string_view text) { return FitToWidth(text, valueWidth, measure, IsAnsiLeadByte); };
    rows_.clear();
    if (content_.variant == 9) {
        rows_.push_back({subjectLabel, fit(subject)});
        rows_.push_back({senderLabel, fit(content_.sender)});
    } else {
        rows_.push_back({});
        rows_.push_back({subjectLabel, fit(subject)});
    }
    for (std::size_t i = 0; i < lines.size(); ++i) rows_.push_back({i == 0 ? contentsLabel : "", fit(lines[i])});
    rows_.push_back({dateLabel, fit(date)});

    SelectObject(dc, bold);
    const std::string title = content_.variant == 8 ? win::LoadText(IDS_ADMIN_MESSAGE_TITLE) : content_.title;
    const int titleWidth = width - frameWidth - kFrameRight - (kTitleLeft + settings.TitleOffsetX);
    title_ = FitToWidth(title, titleWidth, measure, IsAnsiLeadByte);
    SelectObject(dc, original);
    DeleteObject(regular);
    DeleteObject(bold);
    ReleaseDC(Handle(), dc);
}

BOOL CMessagePopup::OnInitDialog() {
    const BOOL focus = CPopup::OnInitDialog();
    MoveButtons();
    return focus;
}

void CMessagePopup::MoveButtons() {
    const HWND ok = GetDlgItem(Handle(), IDOK);
    RECT button{};
    GetWindowRect(ok, &button);
    const int bw = button.right - button.left;
    const int bh = button.bottom - button.top;
    const int x = Width() - bw - 15;
    const int y = Height() - 2 * bh - 4;
    SetWindowPos(ok, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (content_.variant == 9 && !content_.functionName.empty()) {
        const HWND view = GetDlgItem(Handle(), kViewButton);
        RECT viewRect{};
        GetWindowRect(view, &viewRect);
        SetWindowPos(view, nullptr, x - (viewRect.right - viewRect.left), y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMessagePopup::Paint(HDC dc, const RECT& client) {
    const ClientSettings& settings = Settings();
    const RECT frame{kFrameLeft, kFrameTop, client.right - kFrameRight, client.bottom - kFrameBottom};
    const HGDIOBJ brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
    DrawIcon(dc, 8, 17, LoadIconA(nullptr, IconName(content_.icon)));

    const HFONT bold = CreatePopupFont(dc, 10, true);
    const HFONT regular = CreatePopupFont(dc, 9, false);
    const HGDIOBJ original = SelectObject(dc, bold);
    const int titleLeft = kTitleLeft + settings.TitleOffsetX;
    RECT titleRect{titleLeft, kTitleTop + settings.TitleOffsetY, titleLeft + (frame.right - frame.left), kTitleBottom};
    SetTextColor(dc, kTitleColour);
    DrawPopupText(dc, "title", title_, titleRect, DT_NOPREFIX);

    SelectObject(dc, regular);
    SetTextColor(dc, RGB(0, 0, 0));
    const int left = settings.RowLeftMargin + kRowsAcross;
    const int top = settings.RowTop + kRowsDown;
    for (std::size_t n = 0; n < rows_.size(); ++n) {
        const int y = top + settings.RowHeight * static_cast<int>(n);
        const std::string index = std::to_string(n);
        const RECT labelRect{left, y, left + labelWidth_, y + settings.RowHeight};
        DrawPopupText(dc, "label" + index, rows_[n].label, labelRect, DT_NOPREFIX);
        const RECT valueRect{left + labelWidth_ + settings.LabelGap, y, Width() - kValueRightMargin,
                             y + settings.RowHeight};
        DrawPopupText(dc, "value" + index, rows_[n].value, valueRect, DT_NOPREFIX | DT_SINGLELINE);
    }
    SelectObject(dc, original);
    DeleteObject(bold);
    DeleteObject(regular);
}

}  // namespace mirelo
