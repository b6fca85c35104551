#include "payload_builder.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kBbsIntro =
    "Sends a new bulletin-board post (kind 1) as the groupware server does, its payload built from named\n"
    "options. The client plays newbbs.wav and shows the bulletin-board pop-up: \"New BBS material is\n"
    "arrived.\", rows Title, Board, Poster and Date, and View when the link has a function name.\n";

constexpr std::string_view kBbsExamples =
    "  mirelo-send bbs --poster Kim --board Notices --title 'Office move' --date '2026-12-07 09:30' \\\n"
    "      --function OpenBbs --url 'http://gw.example/bbs/view?id=42'\n"
    "  mirelo-send bbs --poster Kim --board Notices --title 'Fire drill' --urgent --cp949\n"
    "  mirelo-send bbs --poster Kim --board Notices --title Hi --sub-kind 2 --recipients 'Lee, Park'\n"
    "  mirelo-send bbs --poster Kim --board B --title T --field 9=' '     a blank flag: urgent\n";

}  // namespace

const Command kBbsCommand = {
    "bbs",
    "bbs --poster P --board B --title T [--text X] [options]",
    "send a new bulletin-board post (kind 1) built from named options",
    PayloadHelp<kBbsKind>,
    RunPayload<kBbsKind>,
};

const PayloadKind kBbsKind = {
    &kBbsCommand,
    mirelo::kBbsLayout,
    {1},
    {
        RoleField(FieldRole::KindCode, "not used by the client"),
        RoleField(FieldRole::SubKind, "2 adds the recipients row and hides View"),
        TextField("poster", "--poster P", "row \"Poster:\"; the record's sender", Need::Required),
        TextField("board", "--board B", "row \"Board:\"", Need::Required),
        TextField("title", "--title T", "row \"Title:\"; the record's subject", Need::Required),
        TextField("text", "--text X", "not shown by the client"),
        RoleField(FieldRole::Date, "row \"Date:\""),
        kViewLinkField,
        kReceiptantField,
        kFlagField,
    },
    kBbsIntro,
    kBbsExamples,
};

}  // namespace mirelo_send
