#include "reception/dispatch_win.h"

#include <windows.h>

#include "core/code_page_win.h"
#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "popups/alert_popup_win.h"
#include "popups/kind_handlers_win.h"
#include "popups/message_handlers_win.h"
#include "popups/popup_spares_win.h"
#include "reception/dispatch_plan.h"
#include "reception/notification_record.h"
#include "reception/notify_client_win.h"
#include "reception/quiet_win.h"
#include "reception/received_list_item.h"
#include "resources/string_ids.h"
#include "speech/speech_text.h"
#include "speech/speech_win.h"
#include "store/history_store_win.h"
#include "store/payload_text.h"
#include "store/received_list_win.h"
#include "win/log.h"
#include "win/resources.h"

namespace mirelo {

using win::Log;

namespace {

constexpr int kAlertDisplayPos = 4;  // right bottom
constexpr int kAlertLabelGap = -13;

ReceivedListItem ListItemNow(const NotificationRecord& record, int code, const DispatchPlan& plan,
                             const ApprovalHandler& approval) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const bool isApproval = plan.family == Family::Approval;
    return BuildReceivedListItem(record, code, now.wHour, now.wMinute,
                                 isApproval ? approval.Fields().Text(approval_field::kDocKind) : std::string(),
                                 isApproval ? approval.Fields().Text(approval_field::kAction) : std::string(),
                                 win::ResourceTexts());
}

// Received-list mode: the notification joins the list window instead of popping up.
void ListNotification(const NotificationRecord& record, const DispatchPlan& plan, const ApprovalHandler& approval) {
    const int code = LocalAppCode(plan.family, approval.SubKind());
    ReceivedListItem item = ListItemNow(record, code, plan, approval);
    Log("received list: kind %d, %s\n", record.kind, item.listText.c_str());
    if (CNotifyClient* client = NotifyClient()) client->ReceivedList().Add(std::move(item));
    // Only mail and approvals carry a code for local applications here.
    if (plan.family == Family::Mail || plan.family == Family::Approval) NotifyLocalApps(code);
}

// The user's state when a notification would pop up while QuietWhilePresenting is on; 0 otherwise.
int QuietStateFor(const DispatchPlan& plan) {
    if (!plan.showPopup || !Settings().QuietWhilePresenting) return 0;
    CNotifyClient* client = NotifyClient();
    return client != nullptr ? client->Quiet().UserState() : 0;
}

// Held while the user presents: listed when the state ends. Local applications hear of it now, as
// they would have when its pop-up showed.
void HoldNotification(ReceivedListItem item, int state, int localAppCode) {
    if (CNotifyClient* client = NotifyClient()) client->Quiet().Hold(std::move(item), state);
    if (localAppCode != 0) NotifyLocalApps(localAppCode);
}

// Its pop-up would have told local applications; the history keeps it for the user.
void GiveWayToNewer(int kind, std::size_t newerWaiting, const DispatchPlan& plan, const ApprovalHandler& approval) {
    Log("pop-up of kind %d not shown: %u newer notifications waiting\n", kind, static_cast<unsigned>(newerWaiting));
    if (plan.family == Family::Bbs || plan.family == Family::Mail || plan.family == Family::Approval) {
        NotifyLocalApps(LocalAppCode(plan.family, approval.SubKind()));
    }
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

void CDispatcher::Dispatch(int kind, const char* payload, int length, std::size_t newerWaiting) {
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
        case Family::Alert: break;
        case Family::None: break;
    }
    NotificationRecord record;
    SpokenTexts spoken;
    bool held = false;
    if (handler != nullptr) held = Present(kind, *handler, payload, length, newerWaiting, record, spoken);
    if (kind == kKindAlert) held = DispatchAlert(payload, length);
    record.kind = kind;
    // Every kind is spoken, an unknown one with an empty sentence; a held one is not.
    if (Settings().SpeakNotifications && !held) {
        SpeakNotification(SpeechSentence(kind, record.sender, record.subject, spoken.documentKind, spoken.action,
                                         win::ResourceTexts()));
    }
    // The pop-up and its sound are out: the window the next one of its template takes is made now,
    // after the last notification read at once.
    if (newerWaiting == 0) PrepareSpareWindows();
}

bool CDispatcher::Present(int kind, KindHandler& handler, const char* payload, int length, std::size_t newerWaiting,
                          NotificationRecord& record, SpokenTexts& spoken) {
    const ClientSettings& settings = Settings();
    handler.Decode(kind, payload, length);
    DispatchPlan plan = PlanDispatch(kind, handler.Urgent(), settings);
    const int state = QuietStateFor(plan);
    const bool held = HoldsNotification(plan, settings.QuietWhilePresenting, IsQuietState(state));
    if (!held && newerWaiting > 0) plan = GiveWay(plan);
    std::string line;
    if (plan.buildRecord) line = handler.RecordLine(kind);
    if (plan.buildRecord && &handler == approval_.get()) {
        spoken.documentKind = approval_->DocumentKindText();
        spoken.action = approval_->ActionText();
    }
    // The pop-up first: opening the sound (and, the first time, the sound library) would otherwise
    // delay the window; both still start within this one dispatch.
    if (plan.showPopup && !held) handler.Show();
    if (plan.playSound && !held) handler.PlaySound();
    if (plan.gaveWay) GiveWayToNewer(kind, newerWaiting, plan, *approval_);

    ParseRecordLine(line, record);
    record.kind = kind;
    // The history and the held rows take every field from its place: a record line whose sender and
    // link are empty (an administrator message) would otherwise show its document type as the sender.
    NotificationRecord exact;
    ParseRecordFields(line, exact);
    exact.kind = kind;
    if (plan.buildRecord && settings.KeepHistory) KeepInHistory(exact);

    if (plan.listed) ListNotification(record, plan, *approval_);
    if (held) {
        const int code = LocalAppCode(plan.family, approval_->SubKind());
        HoldNotification(ListItemNow(exact, code, plan, *approval_), state, code);
    }
    return held;
}

bool CDispatcher::DispatchAlert(const char* payload, int length) {
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
    const DispatchPlan plan = PlanDispatch(kKindAlert, false, settings);
    const int state = QuietStateFor(plan);
    if (!HoldsNotification(plan, settings.QuietWhilePresenting, IsQuietState(state))) {
        ShowAlert(alert_);
        return false;
    }
    NotificationRecord record;
    record.kind = kKindAlert;
    record.sender = alert_.senderName;
    record.subject = alert_.title;
    record.openUrl = alert_.href;
    HoldNotification(ListItemNow(record, alert_.forwardCode, plan, *approval_), state, alert_.forwardCode);
    return true;
}

}  // namespace mirelo
