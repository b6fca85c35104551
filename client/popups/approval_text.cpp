#include "popups/approval_text.h"

#include <string_view>
#include <utility>

#include "core/text.h"
#include "resources/string_ids.h"

namespace mirelo {

namespace {

struct CodeString {
    char code;
    int stringId;
};

constexpr CodeString kDocumentKinds[] = {
    {'2', IDS_DOCKIND_AGREE_2},        {'3', IDS_DOCKIND_AGREE_3},
    {'4', IDS_DOCKIND_AUDIT_4},        {'5', IDS_DOCKIND_AUDIT_5},
    {'6', IDS_DOCKIND_RECEIVED_6},     {'7', IDS_DOCKIND_REFERENCE_7},
    {'8', IDS_DOCKIND_REPORT_8},       {'9', IDS_DOCKIND_DISPATCH_REQUEST_9},
    {'A', IDS_DOCKIND_ENFORCEMENT_A},  {'B', IDS_DOCKIND_DISTRIBUTED_B},
    {'C', IDS_DOCKIND_APPROVAL_C},     {'D', IDS_DOCKIND_RETURNED_D},
    {'E', IDS_DOCKIND_PRE_EXECUTED_E}, {'F', IDS_DOCKIND_PUBLIC_REVIEW_F},
    {'G', IDS_DOCKIND_PROCESSED_G},    {'H', IDS_DOCKIND_REPLY_H},
    {'I', IDS_DOCKIND_EXTERNAL_I},     {'J', IDS_DOCKIND_ADMINISTRATIVE_J},
    {'K', IDS_DOCKIND_ROUTED_K},       {'L', IDS_DOCKIND_DISPATCH_PROCESSED_L},
    {'M', IDS_DOCKIND_COMPLIANCE_M},   {'N', IDS_DOCKIND_AGREE_N},
    {'O', IDS_DOCKIND_AUDIT_O},        {'T', IDS_DOCKIND_DRAFT_T},
};

constexpr CodeString kActions[] = {
    {'1', IDS_ACTION_ARRIVED},   {'2', IDS_ACTION_PROCESSED}, {'3', IDS_ACTION_REJECTED},
    {'4', IDS_ACTION_CANCELLED}, {'5', IDS_ACTION_COMPLETED}, {'6', IDS_ACTION_LINE_CHANGED},
    {'7', IDS_ACTION_HELD},      {'8', IDS_ACTION_ARRIVED},   {'9', IDS_ACTION_MODIFIED},
};

// Action "8" announces an arrival in words but has no sound of its own.
constexpr CodeString kBaseSounds[] = {
    {'1', IDS_SOUND_APPR_ARRIVED},   {'2', IDS_SOUND_APPR_PROCESSED}, {'3', IDS_SOUND_APPR_REJECTED},
    {'4', IDS_SOUND_APPR_CANCELLED}, {'5', IDS_SOUND_APPR_COMPLETED}, {'6', IDS_SOUND_APPR_LINE_CHANGED},
    {'7', IDS_SOUND_APPR_HELD},
};

constexpr CodeString kDispatchSounds[] = {
    {'1', IDS_SOUND_SEND_ARRIVED}, {'3', IDS_SOUND_SEND_REJECTED}, {'5', IDS_SOUND_SEND_COMPLETED}};
constexpr CodeString kReceivedSounds[] = {
    {'2', IDS_SOUND_RECV_PROCESSED}, {'3', IDS_SOUND_RECV_REJECTED}, {'5', IDS_SOUND_RECV_COMPLETED}};
constexpr CodeString kAgreementSounds[] = {{'1', IDS_SOUND_AGREE_ARRIVED}, {'5', IDS_SOUND_AGREE_COMPLETED}};
constexpr CodeString kAuditSounds[] = {
    {'1', IDS_SOUND_AUDIT_ARRIVED}, {'3', IDS_SOUND_AUDIT_REJECTED}, {'5', IDS_SOUND_AUDIT_COMPLETED}};

template <std::size_t N>
int Lookup(const CodeString (&table)[N], char code, int otherwise) {
    for (const CodeString& row : table) {
        if (row.code == code) return row.stringId;
    }
    return otherwise;
}

// The public-review text names its kind through a macro, so that each site can call it its own way.
std::string LoadDocumentKindText(std::string_view docKindCode, const TextLoader& loadText,
                                 const MacroExpander& expandMacros) {
    const std::string text = loadText(DocumentKindTextId(docKindCode));
    return ApprovalCodeChar(docKindCode) == 'F' ? expandMacros(text) : text;
}

}  // namespace

char ApprovalCodeChar(std::string_view code) { return code.empty() ? '\0' : code.front(); }

int DocumentKindTextId(std::string_view docKindCode) {
    return Lookup(kDocumentKinds, ApprovalCodeChar(docKindCode), IDS_DOCKIND_DEFAULT);
}

int ActionTextId(std::string_view docKindCode, std::string_view actionCode) {
    const char action = ApprovalCodeChar(actionCode);
    // A received document that is sent back is "returned", not "rejected".
    if (action == '3' && ApprovalCodeChar(docKindCode) == '6') return IDS_ACTION_RETURNED;
    return Lookup(kActions, action, kNoStringId);
}

ApprovalTexts BuildApprovalTexts(std::string_view docKindCode, std::string_view actionCode, int flag,
                                 std::string_view urgentLabel, const TextLoader& loadText,
                                 const MacroExpander& expandMacros) {
    ApprovalTexts texts;
    texts.documentKind = LoadDocumentKindText(docKindCode, loadText, expandMacros);
    const int actionId = ActionTextId(docKindCode, actionCode);
    if (actionId != kNoStringId) texts.action = loadText(actionId);

    if (ApprovalCodeChar(actionCode) == '6') {
        texts.header = texts.action;
        return texts;
    }
    // No blank between the kind and the joining word: in Korean the word is a particle of the kind.
    if (flag == 1) texts.header.append(urgentLabel);
    texts.header.append(texts.documentKind).append(loadText(IDS_ACTION_JOIN_WORD)).append(" ").append(texts.action);
    return texts;
}

int ApprovalSoundId(std::string_view docKindCode, std::string_view actionCode) {
    const char action = ApprovalCodeChar(actionCode);
    const int base = Lookup(kBaseSounds, action, kNoStringId);
    switch (ApprovalCodeChar(docKindCode)) {
        case '9':
        case 'L': return Lookup(kDispatchSounds, action, base);
        case '6':
            // Every other action on a received document, even a non-digit, sounds as its arrival.
            return action == '9' ? base : Lookup(kReceivedSounds, action, IDS_SOUND_RECV_ARRIVED);
        case '2':
        case '3': return Lookup(kAgreementSounds, action, base);
        case '4':
        case '5': return Lookup(kAuditSounds, action, base);
        case 'F': return IDS_SOUND_REVIEW_ARRIVED;
        default: return base;
    }
}

int ApprovalDocumentType(std::string_view docKindCode) {
    const int value = ParseInt(docKindCode);
    if (value != 0 || docKindCode.empty()) return value;
    return static_cast<unsigned char>(docKindCode.front());
}

void MoveDrafterToProcessor(std::string_view docKindCode, std::string_view actionCode, std::string& drafter,
                            std::string& processor) {
    if (docKindCode != "1" || actionCode != "2" || drafter.empty()) return;
    processor = std::move(drafter);
    drafter.clear();
}

}  // namespace mirelo
