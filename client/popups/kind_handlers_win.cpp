#include "popups/kind_handlers_win.h"

#include <windows.h>
#include <mmsystem.h>
// mmsystem.h maps PlaySound to PlaySoundA; here it is the handlers' member of that name.
#undef PlaySound

#include "core/code_page_win.h"
#include "core/settings_win.h"
#include "forwarding/forwarding_win.h"
#include "popups/approval_text.h"
#include "popups/document_popup_win.h"
#include "popups/popup_text.h"
#include "reception/notification_record.h"
#include "resources/string_ids.h"
#include "store/macros_win.h"
#include "store/payload_text.h"
#include "win/log.h"
#include "win/lazy_library.h"
#include "win/resources.h"

namespace mirelo {

namespace {

constexpr int kBbsCode = 200;
constexpr int kMailCode = 100;

PopupLook DocumentLook(int templateId, int list, COLORREF background, int clipId, RECT clip, const char* name) {
    PopupLook look;
    look.templateId = templateId;
    look.list = list;
    look.background = background;
    look.clipName = win::LoadText(clipId);
    look.clipRect = clip;
    look.familyName = name;
    return look;
}

// A mail pop-up looks like mail for the kind code "02" and like a schedule for any other.
PopupLook MailLook(const std::string& kindCode, int list) {
    if (kindCode == "02") return DocumentLook(133, list, RGB(225, 227, 241), IDS_CLIP_MAIL, {5, 5, 55, 45}, "mail");
    return DocumentLook(133, list, RGB(237, 244, 225), IDS_CLIP_SCHEDULE, {5, 5, 45, 45}, "schedule");
}

// The parts every document pop-up takes from its handler.
DocumentContent BaseContent(const KindFields& fields) {
    const ClientSettings& settings = Settings();
    DocumentContent content;
    content.functionName = fields.link.functionName;
    content.viewUrl = ViewUrl(fields.link.openUrl, settings.UserID);
    content.subKind = fields.subKind;
    content.bizAppPresent = IsBizAppPresent();
    return content;
}

// The mail and schedule pop-ups share their rows.
DocumentContent MailContent(const KindFields& fields, int headerId, int senderIndex, int subjectIndex, int dateIndex,
                            int recipientsIndex) {
    DocumentContent content = BaseContent(fields);
    content.header = win::LoadText(headerId);
    content.urgentPrefix = fields.flag == 1;
    content.rows = MailRows(fields, subjectIndex, senderIndex, dateIndex, recipientsIndex);
    return content;
}

bool Show(const PopupLook& look, DocumentContent content) {
    auto* popup = new CDocumentPopup(look, std::move(content));
    return popup->ShowPopup();
}

}  // namespace

void PlayNotificationSound(int stringId) {
    const std::string name = win::LoadText(stringId);
    win::Log("sound: %s\n", name.c_str());
    LAZY_CALL(WinMm, sndPlaySoundA, FALSE, name.c_str(), SND_ASYNC);
}

void KindHandler::Decode(int kind, const char* payload, int length) {
    kind_ = kind;
    const int level = Settings().LevelDigit;
    const TextConverter convert = [level](std::string_view text) {
        return ReadPayloadText(text, level, SystemCodec());
    };
    const std::string_view bytes(payload, length > 0 ? static_cast<std::size_t>(length) : 0);
    fields_.Decode(bytes, layout_, subKindIndex_, flagIndex_, convert);
    AfterDecode();
}

BbsHandler::BbsHandler() : KindHandler(kBbsLayout, bbs_field::kSubKind, bbs_field::kFlag) {}

std::string BbsHandler::RecordLine(int) const { return BbsRecordLine(fields_, Settings().UserKey); }

void BbsHandler::PlaySound() const { PlayNotificationSound(IDS_SOUND_NEW_BBS); }

void BbsHandler::Show() const {
    using namespace bbs_field;
    const ClientSettings& settings = Settings();
    DocumentContent content = BaseContent(fields_);
    content.header = win::LoadText(IDS_BBS_HEADER);
    content.urgentPrefix = fields_.flag == 1;
    content.rows = BbsRows(fields_);
    content.viewWidth = settings.BBSViewWidth;
    content.viewHeight = settings.BBSViewHeight;
    const PopupLook look = DocumentLook(132, kListBbs, RGB(230, 245, 245), IDS_CLIP_BBS, {5, 5, 43, 45}, "bbs");
    if (mirelo::Show(look, std::move(content))) NotifyLocalApps(kBbsCode);
}

MailHandler::MailHandler() : KindHandler(kMailLayout, mail_field::kSubKind, mail_field::kFlag) {}

std::string MailHandler::RecordLine(int) const { return MailRecordLine(fields_, Settings().UserKey); }

void MailHandler::PlaySound() const { PlayNotificationSound(IDS_SOUND_NEW_MAIL); }

void MailHandler::Show() const {
    using namespace mail_field;
    const ClientSettings& settings = Settings();
    DocumentContent content = MailContent(fields_, IDS_MAIL_HEADER, kSender, kSubject, kDate, kRecipients);
    content.viewWidth = settings.MailViewWidth;
    content.viewHeight = settings.MailViewHeight;
    if (mirelo::Show(MailLook(fields_.Text(kKindCode), kListMail), std::move(content))) NotifyLocalApps(kMailCode);
}

ScheduleHandler::ScheduleHandler() : KindHandler(kScheduleLayout, schedule_field::kSubKind, schedule_field::kFlag) {}

std::string ScheduleHandler::RecordLine(int) const { return ScheduleRecordLine(fields_, Settings().UserKey); }

void ScheduleHandler::PlaySound() const { PlayNotificationSound(IDS_SOUND_NEW_SCHEDULE); }

void ScheduleHandler::Show() const {
    using namespace schedule_field;
    DocumentContent content = MailContent(fields_, IDS_SCHEDULE_HEADER, kRequester, kSubject, kDate, kRecipients);
    content.viewNever = true;
    PopupLook look = MailLook(fields_.Text(kKindCode), kListNone);
    look.bringToTop = true;
    mirelo::Show(look, std::move(content));
}

ApprovalHandler::ApprovalHandler() : KindHandler(kApprovalLayout, approval_field::kSubKind, approval_field::kFlag) {}

void ApprovalHandler::AfterDecode() {
    using namespace approval_field;
    MoveDrafterToProcessor(fields_.Text(kDocKind), fields_.Text(kAction), fields_.texts[kDrafter],
                           fields_.texts[kProcessor]);
}

std::string ApprovalHandler::RecordLine(int kind) const {
    using namespace approval_field;
    const std::string& sender = fields_.Text(kProcessor).empty() ? fields_.Text(kDrafter) : fields_.Text(kProcessor);
    return BuildRecordLine(kind, Settings().UserKey, fields_.flag, fields_.Text(kDate), fields_.Text(kSubject), sender,
                           fields_.link.functionName, fields_.link.openUrl,
                           ApprovalDocumentType(fields_.Text(kDocKind)));
}

void ApprovalHandler::PlaySound() const {
    using namespace approval_field;
    const int soundId = ApprovalSoundId(fields_.Text(kDocKind), fields_.Text(kAction));
    if (soundId != kNoStringId) {
        PlayNotificationSound(soundId);
    } else {
        win::Log("sound: \n");
        LAZY_CALL(WinMm, sndPlaySoundA, FALSE, "", SND_ASYNC);
    }
}

std::string ApprovalHandler::DocumentKindText() const {
    using namespace approval_field;
    return BuildApprovalTexts(fields_.Text(kDocKind), fields_.Text(kAction), fields_.flag, Settings().UrgentLabel,
                              win::ResourceTexts(), ExpandMacros)
        .documentKind;
}

std::string ApprovalHandler::ActionText() const {
    using namespace approval_field;
    return BuildApprovalTexts(fields_.Text(kDocKind), fields_.Text(kAction), fields_.flag, Settings().UrgentLabel,
                              win::ResourceTexts(), ExpandMacros)
        .action;
}

void ApprovalHandler::Show() const {
    using namespace approval_field;
    const ClientSettings& settings = Settings();
    DocumentContent content = BaseContent(fields_);
    content.header = BuildApprovalTexts(fields_.Text(kDocKind), fields_.Text(kAction), fields_.flag,
                                        settings.UrgentLabel, win::ResourceTexts(), ExpandMacros)
                         .header;
    content.wrapHeader = true;
    content.rows = ApprovalRows(fields_);
    content.viewWidth = settings.SancViewWidth;
    content.viewHeight = settings.SancViewHeight;
    const PopupLook look =
        DocumentLook(134, kListApproval, RGB(241, 232, 221), IDS_CLIP_APPROVAL, {10, 5, 50, 45}, "approval");
    if (mirelo::Show(look, std::move(content))) NotifyLocalApps(fields_.subKind);
}

}  // namespace mirelo
