#pragma once

#include <string>

#include "popups/notice_popup_win.h"
#include "popups/notifier_text.h"

namespace mirelo {

// A notice the server describes itself: a coloured window with a looping clip, a header and four
// rows. It stays until the user closes it.
class CAnimatedNotifier final : public CPopup {
public:
    CAnimatedNotifier(const NotifierFields& fields, NoticeLink link);

protected:
    bool ViewOffered() const override;
    std::function<void()> ViewOpener() const override;
    void Paint(HDC dc, const RECT& client) override;

private:
    NotifierFields fields_;
    NoticeLink link_;
    bool firstPaintPending_ = true;
};

}  // namespace mirelo
