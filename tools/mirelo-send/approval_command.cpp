#include "payload_builder.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kApprovalIntro =
    "Sends an electronic-approval event (kinds 4, 5, 6, 7 and 11) as the groupware server does, its\n"
    "payload built from named options. The client shows the approval pop-up, whose header joins the\n"
    "document-kind text and the action text (\"Report doc.is arrived.\"), and plays the sound of the pair.\n"
    "  --kind K              the kind to send: 4, 5, 6, 7 or 11 (required; the payload is the same)\n"
    "Document-kind codes: 2-9, A-O and T have their own texts (F: public review, 6: received document,\n"
    "9 and L: dispatch), any other the generic one; codes are case-sensitive. Actions: 1 and 8 arrived,\n"
    "2 processed, 3 returned, 4 cancelled, 5 completed, 6 approval line changed (the header is the action\n"
    "alone), 7 held, 9 modified. With document kind 1, action 2 and no processor the client shows the\n"
    "drafter as the processor.\n";

constexpr std::string_view kApprovalExamples =
    "  mirelo-send approval --kind 4 --doc-kind 8 --action 1 --drafter Kim --subject 'Budget 2027' \\\n"
    "      --date '2026-12-07 09:30' --function OpenSanc --url 'http://gw.example/sanc/doc?id=9'\n"
    "  mirelo-send approval --kind 5 --doc-kind 6 --action 3 --processor Lee --subject Contract --urgent\n"
    "  mirelo-send approval --kind 11 --doc-kind F --action 1 --subject Notice --cp949\n";

}  // namespace

const Command kApprovalCommand = {
    "approval",
    "approval --kind K --doc-kind C --action A --subject T [--drafter D] [--processor P] [options]",
    "send an electronic-approval event (kinds 4-7, 11) built from named options",
    PayloadHelp<kApprovalKind>,
    RunPayload<kApprovalKind>,
};

const PayloadKind kApprovalKind = {
    &kApprovalCommand,
    mirelo::kApprovalLayout,
    {4, 5, 6, 7, 11},
    {
        RoleField(FieldRole::KindCode, "not used by the client"),
        TextField("document kind", "--doc-kind C", "its first character picks header text and sound", Need::Required),
        TextField("action", "--action A", "its first character picks header text and sound", Need::Required),
        TextField("drafter", "--drafter D", "row \"Drafter :\""),
        TextField("processor", "--processor P", "row \"Processor:\"; the record's sender"),
        TextField("subject", "--subject T", "row \"Doc Subject:\"; the record's subject", Need::Required),
        RoleField(FieldRole::Date, "row \"Process date:\""),
        RoleField(FieldRole::SubKind, "the code for local programs; 2 adds recipients, hides View"),
        kViewLinkField,
        RoleField(FieldRole::Recipients, "row \"Recipient :\" with sub-kind 2"),
        kFlagField,
    },
    kApprovalIntro,
    kApprovalExamples,
};

}  // namespace mirelo_send
