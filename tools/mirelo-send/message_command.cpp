#include "core/text.h"
#include "payload_builder.h"
#include "popups/message_text.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kMessageIntro =
    "Sends an administrator message (kind 8) or a user message (kind 9) as the groupware server does,\n"
    "its payload built from named options. No sound. The client shows the message pop-up: a system icon,\n"
    "the title (\"Admin title\" for kind 8), the Subject (and for kind 9 Sender) rows, the body line by\n"
    "line after \"Contents:\" and \"Posted date:\"; it sizes itself to the text. Kind 8 is centred and\n"
    "always on top and never offers View; kind 9 is placed by DisplayPos and offers View (a browser\n"
    "window of the work area's size) when the link has a function name and a URL.\n"
    "  --kind K              8 administrator or 9 user (required; also sent as the message kind)\n";

constexpr std::string_view kMessageHelp =
    "The body: each line break given as a bare \\n is sent as \\r\\n, the line break the client splits\n"
    "the body at; \"</P>\" and \"</BR>\" are deleted by the client.\n\n";

constexpr std::string_view kMessageExamples =
    "  mirelo-send message --kind 8 --subject 'Server maintenance' --icon 2 \\\n"
    "      --body $'The mail server restarts at 18:00.\\nSave your drafts.'\n"
    "  mirelo-send message --kind 9 --title 'From the help desk' --sender Kim --subject 'Your ticket' \\\n"
    "      --body 'Solved.' --function OpenTicket --url 'http://gw.example/ticket?id=5'\n";

std::vector<Option> NoOptions(PayloadValues*) { return {}; }

std::string BreakLines(PayloadValues* values) {
    std::optional<std::string>& body = values->texts[mirelo::message_field::kBody];
    if (body) *body = mirelo::ReplaceAll(mirelo::ReplaceAll(*body, "\r\n", "\n"), "\n", "\r\n");
    return {};
}

const KindExtras kMessageExtras = {NoOptions, BreakLines, kMessageHelp};

}  // namespace

const Command kMessageCommand = {
    "message",
    "message --kind K --subject T [--title T] [--sender S] [--icon N] [--body B] [options]",
    "send an administrator (kind 8) or user (kind 9) message built from named options",
    PayloadHelp<kMessageKind>,
    RunPayload<kMessageKind>,
};

const PayloadKind kMessageKind = {
    &kMessageCommand,
    mirelo::kMessageLayout,
    {8, 9},
    {
        RoleField(FieldRole::KindCode, "the message kind: 8 administrator, 9 user"),
        TextField("title", "--title T", "the title line of kind 9"),
        TextField("sender", "--sender S", "row \"Sender:\" (kind 9); the record's sender"),
        TextField("subject", "--subject T", "row \"Subject:\"; the record's subject", Need::Required),
        TextField("icon", "--icon N", "2 exclamation, 3 error, anything else information"),
        TextField("body", "--body B", "the rows after \"Contents:\" (two-byte length: 65,535 bytes)"),
        RoleField(FieldRole::Date, "row \"Posted date:\""),
        RoleField(FieldRole::Link, "View of kind 9 (--link-type N, --link-raw HEX)"),
    },
    kMessageIntro,
    kMessageExamples,
    &kMessageExtras,
};

}  // namespace mirelo_send
