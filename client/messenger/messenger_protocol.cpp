#include "messenger/messenger_protocol.h"

#include <array>
#include <utility>

namespace mirelo {

namespace {

constexpr std::array<std::pair<int, const char*>, 7> kCodes = {{{kPresenceOnlineId, "NLN"},
                                                                {kPresenceBusy, "BSY"},
                                                                {kPresenceBeRightBack, "BRB"},
                                                                {kPresenceAway, "AWY"},
                                                                {kPresenceEat, "LUN"},
                                                                {kPresencePhone, "PHN"},
                                                                {kPresenceHidden, "HDN"}}};

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::optional<std::string> PresenceCode(int presenceCommand) {
    for (const auto& [id, code] : kCodes) {
        if (id == presenceCommand) return std::string(code);
    }
    return std::nullopt;
}

std::string PresenceText(std::string_view code) { return "@0" + std::string(code); }

MessengerCommand ParseMessengerCommand(std::string_view datagram) {
    MessengerCommand command;
    if (datagram.size() < 2 || datagram[0] != '@') return command;
    const std::string_view rest = datagram.substr(2);
    switch (datagram[1]) {
        case '0':
            command.kind = MessengerCommand::Kind::Presence;
            command.presenceCode = UpToNul(rest);
            break;
        case 'B': command.kind = MessengerCommand::Kind::Blink; break;
        case 'E':
        case 'O': command.kind = MessengerCommand::Kind::SignOut; break;
        case 'P':
            command.kind = MessengerCommand::Kind::AlwaysOnTop;
            command.onTop = !rest.empty() && rest[0] == 'T';
            break;
        case 'R': command.kind = MessengerCommand::Kind::Reload; break;
        case 'U': {
            command.kind = MessengerCommand::Kind::SignIn;
            command.userId = UpToNul(rest);
            if (command.userId.size() < rest.size()) command.baseUrl = UpToNul(rest.substr(command.userId.size() + 1));
            break;
        }
        default: break;
    }
    return command;
}

void ApplyPresenceCode(std::string_view code, int& presenceStatus, bool& messengerOnline) {
    if (code == "NLN") {
        presenceStatus = kPresenceOnlineId;
        messengerOnline = true;
        return;
    }
    if (code == "AWY") {
        // An echo of an away state that is already set (by the idle timer) keeps the timer working.
        if (presenceStatus != kPresenceAway) {
            presenceStatus = kPresenceAway;
            messengerOnline = false;
        }
        return;
    }
    messengerOnline = false;
    for (const auto& [id, known] : kCodes) {
        if (code == known) presenceStatus = id;
    }
}

IdleAction StepIdlePresence(unsigned idleMs, int onlineTimeout, bool messengerOnline, int& presenceStatus,
                            bool& autoAway) {
    if (!messengerOnline) return IdleAction::None;
    if (idleMs > 0 && idleMs > static_cast<unsigned>(onlineTimeout)) {
        if (presenceStatus != kPresenceOnlineId) return IdleAction::None;
        autoAway = true;
        presenceStatus = kPresenceAway;
        return IdleAction::AutoAway;
    }
    if (!autoAway) return IdleAction::None;
    autoAway = false;
    if (presenceStatus != kPresenceAway) return IdleAction::None;
    presenceStatus = kPresenceOnlineId;
    return IdleAction::AutoOnline;
}

}  // namespace mirelo
