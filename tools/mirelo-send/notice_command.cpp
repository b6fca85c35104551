#include <algorithm>

#include "payload_builder.h"
#include "popups/message_text.h"
#include "popups/notifier_text.h"
#include "text_encoding.h"

namespace mirelo_send {
namespace {

constexpr std::size_t kFieldMax = 255;
constexpr int kAnimatedBit = 2;

constexpr std::string_view kNoticeIntro =
    "Sends a notice (kind 10) as the groupware server does, its payload built from named options. No\n"
    "sound. The client shows the notice pop-up: \"<sender>send message.\" as the title (\"New message is\n"
    "arrived.\" when that is shorter than 28 bytes), the text in a box that scrolls when it must, and the\n"
    "date. With --animated it shows the animated notifier instead, described by the notifier options; it\n"
    "stays until it is closed. View hands the link to the business applications (windows of class\n"
    "QXNotifyBiz) and is offered only when one is running.\n";

constexpr std::string_view kNoticeHelp =
    "The animated notifier:\n"
    "  --animated            flag bit 1 (added to --urgent or --flag N): the animated notifier\n"
    "  --header H            its bold header line\n"
    "  --icon FILE           its clip in the client's folder and its colour: mailavi.avi blue,\n"
    "                        sancavi.avi brown, gsavi.avi green, anything else bbsavi.avi's colour\n"
    "  --text1 .. --text4 T  its four rows (row 1 is cut at 43 bytes)\n"
    "These options write the notice text, one \"KEY:value\" line each (\"HEADER:\", \"ICON:\", \"TEXT1:\"..\n"
    "\"TEXT4:\"), in place of --text. Past 255 bytes the description continues in the sender field, in\n"
    "front of the sender, as the client reads the text and the sender as one; the cut falls between two\n"
    "characters of the encoding sent (UTF-8, or code page 949 with --cp949).\n\n";

constexpr std::string_view kNoticeExamples =
    "  mirelo-send notice --sender 'Help desk' --text $'The office is closed on Friday.\\nEnjoy the weekend.'\n"
    "  mirelo-send notice --sender 'Help desk' --animated --header 'Fire drill at 15:00' --icon sancavi.avi \\\n"
    "      --text1 'Leave by the stairs' --text2 'Meet in the car park' --function OpenNotice --url 'http://gw/n'\n";

std::vector<Option> NotifierOptions(PayloadValues* values) {
    std::vector<Option> options = {FlagOption("--animated", &values->animated), TextOption("--header", &values->header),
                                   TextOption("--icon", &values->icon)};
    for (std::size_t i = 0; i < values->notifierRows.size(); ++i) {
        options.push_back(TextOption("--text" + std::to_string(i + 1), &values->notifierRows[i]));
    }
    return options;
}

std::string ApplyNotifier(PayloadValues* values) {
    using namespace mirelo::notice_field;
    bool keys = values->header || values->icon;
    std::array<std::string, 4> rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        keys = keys || values->notifierRows[i].has_value();
        rows[i] = values->notifierRows[i].value_or("");
    }
    if (keys && !values->animated) return "the notifier options need --animated";
    if (!values->animated) return {};
    if (values->noFlag) return "--animated sets a bit of the flag: drop --no-flag";
    if (keys && values->texts[kText]) return "--text and the notifier options exclude each other";
    values->flag = (values->urgent ? 1 : std::max(values->flag, 0)) | kAnimatedBit;
    values->urgent = false;
    if (!keys) return {};
    const std::string text = mirelo::BuildNotifierText(values->header.value_or(""), values->icon.value_or(""), rows);
    // The cut falls between characters of what is sent: the client converts each field on its own.
    const std::size_t cut = FittingPrefix(text, kFieldMax, values->cp949 ? "CP949" : "");
    values->texts[kText] = text.substr(0, cut);
    if (cut < text.size()) values->texts[kSender] = text.substr(cut) + values->texts[kSender].value_or("");
    return {};
}

const KindExtras kNoticeExtras = {NotifierOptions, ApplyNotifier, kNoticeHelp};

}  // namespace

const Command kNoticeCommand = {
    "notice",
    "notice --sender S [--text X | --animated [--header H] [--icon FILE] [--text1 T ..]] [options]",
    "send a notice (kind 10), as text or as the animated notifier, built from named options",
    PayloadHelp<kNoticeKind>,
    RunPayload<kNoticeKind>,
};

const PayloadKind kNoticeKind = {
    &kNoticeCommand,
    mirelo::kNoticeLayout,
    {10},
    {
        RoleField(FieldRole::KindCode, "read and discarded"),
        RoleField(FieldRole::SubKind, "read and discarded"),
        TextField("sender", "--sender S", "the title sentence; the record's sender", Need::Required),
        TextField("text", "--text X", "the text box; the record's subject; the notifier's lines"),
        RoleField(FieldRole::Date, "the footer \"Date:\""),
        RoleField(FieldRole::Link, "View (--link-type N, --link-raw HEX)"),
        RoleField(FieldRole::Flag, "bit 0 urgent, bit 1 the animated notifier; --no-flag omits it"),
    },
    kNoticeIntro,
    kNoticeExamples,
    &kNoticeExtras,
};

}  // namespace mirelo_send
