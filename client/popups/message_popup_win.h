#pragma once

#include <string>
#include <vector>

#include "popups/message_text.h"
#include "popups/popup_win.h"

namespace mirelo {

// What a message pop-up shows and opens.
struct MessageContent {
    int variant = 8;    // 8 administrator, 9 user
    std::string title;  // the payload's title (variant 9)
    std::string subject;
    std::string sender;
    std::string body;
    std::string date;
    MessageIcon icon = MessageIcon::Information;
    std::string viewUrl;
    std::string functionName;
};

// The administrator's and users' message box: an icon, a coloured title, subject and sender rows, the
// body row by row and the date; it sizes itself to its text.
class CMessagePopup final : public CPopup {
public:
    explicit CMessagePopup(MessageContent content);

protected:
    BOOL OnInitDialog() override;
    bool ViewOffered() const override;
    std::function<void()> ViewOpener() const override;
    void Paint(HDC dc, const RECT& client) override;
    void FitSize(int& width, int& height) override;

private:
    struct Row {
        std::string label;
        std::string value;
    };
    void MoveButtons();

    MessageContent content_;
    std::string title_;
    std::vector<Row> rows_;
    int labelWidth_ = 0;
};

}  // namespace mirelo
