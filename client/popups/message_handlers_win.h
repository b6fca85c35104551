#pragma once

#include <string>

#include "popups/kind_handlers_win.h"

namespace mirelo {

// Administrator and user messages (kinds 8 and 9): the message pop-up. No sound.
class MessageHandler final : public KindHandler {
public:
    MessageHandler();
    std::string RecordLine(int kind) const override;
    void Show() const override;

protected:
    void AfterDecode() override;
};

// Notices (kind 10): the notice pop-up, or the animated notifier when flag bit 1 is set. No sound.
class NoticeHandler final : public KindHandler {
public:
    NoticeHandler();
    std::string RecordLine(int kind) const override;
    void Show() const override;

private:
    std::string senderSuffix_;  // string 61261, loaded once
};

}  // namespace mirelo
