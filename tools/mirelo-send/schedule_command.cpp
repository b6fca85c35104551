#include "payload_builder.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kScheduleIntro =
    "Sends a shared-schedule request (kind 3) as the groupware server does, its payload built from named\n"
    "options. The client plays newgs.wav and shows the green schedule pop-up on top: \"has not\n"
    "schedule.\", rows Title, Sender and Date; it never offers View (the link only goes to the record).\n";

constexpr std::string_view kScheduleExamples =
    "  mirelo-send schedule --requester Kim --subject 'Design review' --date '2026-12-08 14:00'\n"
    "  mirelo-send schedule --requester Kim --subject 'Design review' --sub-kind 2 --recipients 'Lee, Park'\n";

}  // namespace

const Command kScheduleCommand = {
    "schedule",
    "schedule --requester S --subject T [options]",
    "send a shared-schedule request (kind 3) built from named options",
    PayloadHelp<kScheduleKind>,
    RunPayload<kScheduleKind>,
};

const PayloadKind kScheduleKind = {
    &kScheduleCommand,
    mirelo::kScheduleLayout,
    {3},
    {
        RoleField(FieldRole::KindCode, "anything but \"02\" gives the schedule look"),
        RoleField(FieldRole::SubKind, "2 adds the recipients row"),
        TextField("requester", "--requester S", "row \"Sender:\"; the record's sender", Need::Required),
        TextField("subject", "--subject T", "row \"Title:\"; the record's subject", Need::Required),
        RoleField(FieldRole::Date, "row \"Date:\""),
        RoleField(FieldRole::Link, "the record only (--link-type N, --link-raw HEX)"),
        kReceiptantField,
        kFlagField,
    },
    kScheduleIntro,
    kScheduleExamples,
};

}  // namespace mirelo_send
