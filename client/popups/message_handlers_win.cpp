#include "popups/message_handlers_win.h"

#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "popups/animated_notifier_win.h"
#include "popups/message_popup_win.h"
#include "popups/message_text.h"
#include "popups/notice_popup_win.h"
#include "popups/notifier_text.h"
#include "popups/popup_text.h"
#include "resources/string_ids.h"
#include "win/resources.h"

namespace mirelo {

MessageHandler::MessageHandler() : KindHandler(kMessageLayout, -1, -1) {}

void MessageHandler::AfterDecode() { fields_.texts[message_field::kBody] += "\r\n"; }

std::string MessageHandler::RecordLine(int) const { return MessageRecordLine(fields_, Settings().UserKey); }

void MessageHandler::Show() const {
    using namespace message_field;
    MessageContent content;
    content.variant = MessageVariant(fields_.Text(kKindText), Kind());
    content.title = fields_.Text(kTitle);
    content.subject = fields_.Text(kSubject);
    content.sender = fields_.Text(kSender);
    content.body = fields_.Text(kBody);
    content.date = fields_.Text(kDate);
    content.icon = MessageIconOf(fields_.Text(kIconCode));
    content.functionName = fields_.link.functionName;
    content.viewUrl = ViewUrl(fields_.link.openUrl, Settings().UserID);
    auto* popup = new CMessagePopup(std::move(content));
    popup->ShowPopup();
}

NoticeHandler::NoticeHandler()
    : KindHandler(kNoticeLayout, -1, notice_field::kFlag), senderSuffix_(win::LoadText(IDS_NOTICE_SENDER_SUFFIX)) {}

std::string NoticeHandler::RecordLine(int) const { return NoticeRecordLine(fields_, Settings().UserKey); }

void NoticeHandler::Show() const {
    using namespace notice_field;
    NoticeLink link;
    link.linkType = fields_.link.typeNumber;
    link.functionName = fields_.link.functionName;
    link.viewUrl = ViewUrl(fields_.link.openUrl, Settings().UserID);
    link.bizAppPresent = IsBizAppPresent();
    if (IsAnimatedNotice(fields_.flag)) {
        const NotifierFields notifier = ParseNotifierText(fields_.Text(kText), fields_.Text(kSender));
        auto* popup = new CAnimatedNotifier(notifier, std::move(link));
        popup->ShowPopup();
        return;
    }
    NoticeContent content;
    content.title = MakeNoticeTitle(fields_.Text(kSender), senderSuffix_, win::LoadText(IDS_NOTICE_FALLBACK_TITLE));
    content.body = fields_.Text(kText);
    content.date = fields_.Text(kDate);
    content.link = std::move(link);
    auto* popup = new CNoticePopup(std::move(content));
    popup->ShowPopup();
}

}  // namespace mirelo
