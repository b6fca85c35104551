#pragma once

#include <string>

#include "popups/auto_scroll_edit_win.h"
#include "popups/message_text.h"
#include "popups/popup_win.h"

namespace mirelo {

// What the pop-ups of a notice show and open; View hands the link to the business applications.
struct NoticeLink {
    int linkType = 0;
    std::string functionName;
    std::string viewUrl;
    bool bizAppPresent = false;
};

bool NoticeViewOffered(const NoticeLink& link);
void OpenNoticeLink(const NoticeLink& link);

struct NoticeContent {
    NoticeTitle title;
    std::string body;
    std::string date;
    NoticeLink link;
};

// A notice as text: the title sentence, the notice in a read-only box that scrolls when it must,
// and the date.
class CNoticePopup final : public CPopup {
public:
    explicit CNoticePopup(NoticeContent content);

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool ViewOffered() const override;
    std::function<void()> ViewOpener() const override;
    void Paint(HDC dc, const RECT& client) override;

private:
    NoticeContent content_;
    CAutoScrollEdit edit_;
    HFONT editFont_ = nullptr;
};

}  // namespace mirelo
