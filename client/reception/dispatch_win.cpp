#include "reception/dispatch_win.h"

#include <windows.h>

#include "core/code_page_win.h"
#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "popups/alert_popup_win.h"
#include "popups/kind_handlers_win.h"
#include "popups/message_handlers_win.h"
#include "reception/dispatch_plan.h"
#include "reception/notification_record.h"
#include "reception/notify_client_win.h"
#include "reception/received_list_item.h"
#include "resources/string_ids.h"
#include "speech/speech_text.h"
#include "speech/speech_win.h"
#include "store/payload_text.h"
#include "store/received_list_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

namespace {

constexpr int kAlertDisplayPos = 4;  // right bottom
constexpr int kAlertLabelGap = -13;

// Received-list mode: the notification joins the list window instead of popping up.
void ListNotification(const NotificationRecord& record, const DispatchPlan& plan, const ApprovalHandler& approval) {
    const int code = LocalAppCode(plan.family, approval.SubKind());
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const bool isApproval = plan.family == Family::Approval;
    ReceivedListItem item = BuildReceivedListItem(
        record, code, now.wHour, now.wMinute,
        isApproval ? approval.Fields().Text(approval_field::kDocKind) : std::string(),
        isApproval ? approval.Fields().Text(approval_field::kAction) : std::string(), win::ResourceTexts());
    Log("received list: kind %d, %s\n", record.kind, item.listText.c_str());
    if (CNotifyClient* client = NotifyClient()) client->ReceivedList().Add(std::move(item));
    // Only mail and approvals carry a code for local applications here.
    if (plan.family == Family::Mail || plan.family == Family::Approval) NotifyLocalApps(code);
}

}  // namespace

CDispatcher::CDispatcher()
    : bbs_(std::make_unique<BbsHandler>()),
      mail_(std::make_unique<MailHandler>()),
      schedule_(std::make_unique<ScheduleHandler>()),
      approval_(std::make_unique<ApprovalHandler>()),
      message_(std::make_unique<MessageHandler>()),
      notice_(std::make_unique<NoticeHandler>()) {}

CDispatcher::~CDispatcher() = default;

void CDispatcher::Dispatch(int kind, const char* payload, int length) {
    Log("dispatch kind=%d length=%d\n", kind, length);
    if (CNotifyClient* client = NotifyClient()) client->StartBlink();

    KindHandler* handler = nullptr;
    switch (FamilyOfKind(kind)) {
        case Family::Bbs: handler = bbs_.get(); break;
        case Family::Mail: handler = mail_.get(); break;
        case Family::Schedule: handler = schedule_.get(); break;
        case Family::Approval: handler = approval_.get(); break;
        case Family::Message: handler = message_.get(); break;
        case Family::Notice: handler = notice_.get(); break;
        case Family::Alert: DispatchAlert(payload, length); break;
        case Family::None: break;
    }
    NotificationRecord record;
    SpokenTexts spoken;
    if (handler != nullptr) Present(kind, *handler, payload, length, record, spoken);
    record.kind = kind;
    // Every kind is spoken, an unknown one with an empty sentence.
    if (Settings().SpeakNotifications) {
        SpeakNotification(SpeechSentence(kind, record.sender, record.subject, spoken.documentKind, spoken.action,
                                         win::ResourceTexts()));
    }
}

void CDispatcher::Present(int kind, KindHandler& handler, const char* payload, int length, NotificationRecord& record,
                          SpokenTexts& spoken) {
    const ClientSettings& settings = Settings();
    handler.Decode(kind, payload, length);
    const DispatchPlan plan = PlanDispatch(kind, handler.Urgent(), settings);
    std::string line;
    if (plan.buildRecord) line = handler.RecordLine(kind);
    if (plan.buildRecord && &handler == approval_.get()) {
        spoken.documentKind = approval_->DocumentKindText();
        spoken.action = approval_->ActionText();
    }
    // The pop-up first: opening the sound (and, the first time, the sound library) would otherwise
    // delay the window; both still start within this one dispatch.
    if (plan.showPopup) handler.Show();
    if (plan.playSound) handler.PlaySound();

    ParseRecordLine(line, record);
    record.kind = kind;

    if (plan.listed) ListNotification(record, plan, *approval_);
}

void CDispatcher::DispatchAlert(const char* payload, int length) {
    // Alerts move every later pop-up to the right bottom and pull row values to the left.
    ClientSettings& settings = Settings();
    settings.DisplayPos = kAlertDisplayPos;
    settings.LabelGap = kAlertLabelGap;
    RefreshWorkArea();
    Log("alert: DisplayPos %d, label gap %d\n", settings.DisplayPos, settings.LabelGap);
    ResetAlert(alert_);
    const std::string_view text(payload, length > 0 ? static_cast<std::size_t>(length) : 0);
    const AnsiConverter toAnsi = [](std::string_view utf8) { return ReadPayloadText(utf8, 1, SystemCodec()); };
    ParseAlert(alert_, text, toAnsi, win::LogText);
    ShowAlert(alert_);
}

}  // namespace mirelo
