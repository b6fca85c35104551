#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mirelo {

// Presence values are the command ids of the tray menu's Status entries.
enum PresenceCommand : int {
    kPresenceOnlineId = 32784,
    kPresenceBusy = 32785,
    kPresenceBeRightBack = 32786,
    kPresenceAway = 32787,
    kPresenceEat = 32788,
    kPresencePhone = 32791,
    kPresenceHidden = 32792,
};

// The three-letter code of a presence command ("NLN" for Online ...); nullopt for other ids.
std::optional<std::string> PresenceCode(int presenceCommand);

// The text that sets the messenger's presence: "@0" + code.
std::string PresenceText(std::string_view code);

inline constexpr char kMessengerLogOn[] = "@I";
inline constexpr char kMessengerLogOut[] = "@O";
inline constexpr char kMessengerExit[] = "@E";
inline constexpr char kMessengerShow[] = "@S";

// One command received from the messenger.
struct MessengerCommand {
    enum class Kind { Ignored, Presence, Blink, SignOut, AlwaysOnTop, Reload, SignIn };
    Kind kind = Kind::Ignored;
    std::string presenceCode;  // Presence: the code after "@0"
    bool onTop = false;        // AlwaysOnTop: third character was 'T'
    std::string userId;        // SignIn: up to the first NUL
    std::string baseUrl;       // SignIn: after that NUL, up to the next NUL or the end
};

// Parses a datagram that starts with "@", reading only its received bytes.
MessengerCommand ParseMessengerCommand(std::string_view datagram);

// Applies a presence code the messenger reported to the presence status (a Status command id) and
// to whether the messenger counts as online.
void ApplyPresenceCode(std::string_view code, int& presenceStatus, bool& messengerOnline);

// One tick of the idle-presence timer. idleMs is 0 when there is no idle source; autoAway is set
// while the timer itself has put the presence to Away.
enum class IdleAction { None, AutoAway, AutoOnline };
IdleAction StepIdlePresence(unsigned idleMs, int onlineTimeout, bool messengerOnline, int& presenceStatus,
                            bool& autoAway);

}  // namespace mirelo
