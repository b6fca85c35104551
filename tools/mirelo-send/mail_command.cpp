#include "payload_builder.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kMailIntro =
    "Sends a new mail (kind 2) as the groupware server does, its payload built from named options. The\n"
    "client plays newmail.wav and shows the blue mail pop-up: \"New mail is arrived.\", rows Title, Sender\n"
    "and Date, and View when the link has a function name.\n";

constexpr std::string_view kMailExamples =
    "  mirelo-send mail --sender Kim --subject 'Quarterly report' --date '2026-12-07 09:30' \\\n"
    "      --function OpenMail --url 'http://gw.example/mail/read?id=7' --urgent\n"
    "  mirelo-send mail --sender Kim --subject Lunch --tcp --port 7400\n"
    "  mirelo-send mail --sender Kim --subject Lunch --kind-code 03   the schedule look\n";

}  // namespace

const Command kMailCommand = {
    "mail",
    "mail --sender S --subject T [--text X] [options]",
    "send a new mail (kind 2) built from named options",
    PayloadHelp<kMailKind>,
    RunPayload<kMailKind>,
};

const PayloadKind kMailKind = {
    &kMailCommand,
    mirelo::kMailLayout,
    {2},
    {
        RoleField(FieldRole::KindCode, "\"02\" gives the mail look, anything else the schedule look"),
        RoleField(FieldRole::SubKind, "2 adds the recipients row and hides View"),
        TextField("sender", "--sender S", "row \"Sender:\"; the record's sender", Need::Required),
        TextField("subject", "--subject T", "row \"Title:\"; the record's subject", Need::Required),
        TextField("text", "--text X", "not shown by the client"),
        RoleField(FieldRole::Date, "row \"Date:\""),
        kViewLinkField,
        kReceiptantField,
        kFlagField,
    },
    kMailIntro,
    kMailExamples,
};

}  // namespace mirelo_send
