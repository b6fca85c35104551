#include "messenger/messenger_protocol.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

using Kind = MessengerCommand::Kind;

TEST(Messenger, PresenceCodesAndTexts) {
    EXPECT_EQ(PresenceCode(32784), "NLN");
    EXPECT_EQ(PresenceCode(32785), "BSY");
    EXPECT_EQ(PresenceCode(32786), "BRB");
    EXPECT_EQ(PresenceCode(32787), "AWY");
    EXPECT_EQ(PresenceCode(32788), "LUN");
    EXPECT_EQ(PresenceCode(32791), "PHN");
    EXPECT_EQ(PresenceCode(32792), "HDN");
    EXPECT_EQ(PresenceCode(32789), std::nullopt);
    EXPECT_EQ(PresenceText("BSY"), "@0BSY");
}

TEST(Messenger, ParsesEveryCommand) {
    EXPECT_EQ(ParseMessengerCommand("@0BSY").kind, Kind::Presence);
    EXPECT_EQ(ParseMessengerCommand("@0BSY").presenceCode, "BSY");
    EXPECT_EQ(ParseMessengerCommand("@B").kind, Kind::Blink);
    EXPECT_EQ(ParseMessengerCommand("@E").kind, Kind::SignOut);
    EXPECT_EQ(ParseMessengerCommand("@O").kind, Kind::SignOut);
    EXPECT_TRUE(ParseMessengerCommand("@PT").onTop);
    EXPECT_FALSE(ParseMessengerCommand("@PF").onTop);
    EXPECT_EQ(ParseMessengerCommand("@P").kind, Kind::AlwaysOnTop);
    EXPECT_EQ(ParseMessengerCommand("@R").kind, Kind::Reload);
    const auto signIn = ParseMessengerCommand(std::string_view("@Ukim\0http://gw/\0junk", 21));
    EXPECT_EQ(signIn.kind, Kind::SignIn);
    EXPECT_EQ(signIn.userId, "kim");
    EXPECT_EQ(signIn.baseUrl, "http://gw/");
}

TEST(Messenger, MissingPartsAndUnknownLettersAreHarmless) {
    EXPECT_EQ(ParseMessengerCommand("@").kind, Kind::Ignored);
    EXPECT_EQ(ParseMessengerCommand("").kind, Kind::Ignored);
    EXPECT_EQ(ParseMessengerCommand("@Z").kind, Kind::Ignored);
    EXPECT_EQ(ParseMessengerCommand("@a").kind, Kind::Ignored);
    EXPECT_EQ(ParseMessengerCommand("@0").presenceCode, "");
    const auto noUrl = ParseMessengerCommand("@Ulee");
    EXPECT_EQ(noUrl.userId, "lee");
    EXPECT_EQ(noUrl.baseUrl, "");
    EXPECT_EQ(ParseMessengerCommand("@U").userId, "");
}

TEST(Presence, OnlineAndOtherCodes) {
    int status = kPresenceBusy;
    bool online = false;
    ApplyPresenceCode("NLN", status, online);
    EXPECT_EQ(status, kPresenceOnlineId);
    EXPECT_TRUE(online);
    ApplyPresenceCode("BSY", status, online);
    EXPECT_EQ(status, kPresenceBusy);
    EXPECT_FALSE(online);
    for (const auto& [code, id] : {std::pair{"BRB", kPresenceBeRightBack}, std::pair{"HDN", kPresenceHidden},
                                   std::pair{"LUN", kPresenceEat}, std::pair{"PHN", kPresencePhone}}) {
        online = true;
        ApplyPresenceCode(code, status, online);
        EXPECT_EQ(status, id) << code;
        EXPECT_FALSE(online);
    }
}

TEST(Presence, UnknownCodesClearOnlineAndKeepTheStatus) {
    int status = kPresenceOnlineId;
    bool online = true;
    ApplyPresenceCode("XYZ", status, online);
    EXPECT_EQ(status, kPresenceOnlineId);
    EXPECT_FALSE(online);
    online = true;
    ApplyPresenceCode("nln", status, online);
    EXPECT_FALSE(online) << "codes compare case-sensitively";
}

TEST(Presence, AnAwayEchoKeepsMessengerOnline) {
    int status = kPresenceAway;
    bool online = true;
    ApplyPresenceCode("AWY", status, online);
    EXPECT_TRUE(online);
    status = kPresenceOnlineId;
    ApplyPresenceCode("AWY", status, online);
    EXPECT_EQ(status, kPresenceAway);
    EXPECT_FALSE(online);
}

TEST(IdlePresence, GoesAwayAfterTheTimeoutAndComesBackOnInput) {
    int status = kPresenceOnlineId;
    bool autoAway = false;
    EXPECT_EQ(StepIdlePresence(30000, 60000, true, status, autoAway), IdleAction::None);
    EXPECT_EQ(StepIdlePresence(61000, 60000, true, status, autoAway), IdleAction::AutoAway);
    EXPECT_EQ(status, kPresenceAway);
    EXPECT_TRUE(autoAway);
    EXPECT_EQ(StepIdlePresence(64000, 60000, true, status, autoAway), IdleAction::None);
    EXPECT_EQ(StepIdlePresence(100, 60000, true, status, autoAway), IdleAction::AutoOnline);
    EXPECT_EQ(status, kPresenceOnlineId);
    EXPECT_FALSE(autoAway);
}

TEST(IdlePresence, NothingChangesWithoutMessengerSourceOrOnlineStatus) {
    int status = kPresenceOnlineId;
    bool autoAway = false;
    EXPECT_EQ(StepIdlePresence(999999, 60000, false, status, autoAway), IdleAction::None);
    EXPECT_EQ(StepIdlePresence(0, 60000, true, status, autoAway), IdleAction::None) << "no idle source";
    EXPECT_EQ(StepIdlePresence(999999, -1, true, status, autoAway), IdleAction::None) << "never";
    status = kPresenceBusy;
    EXPECT_EQ(StepIdlePresence(999999, 60000, true, status, autoAway), IdleAction::None);
    EXPECT_EQ(status, kPresenceBusy);
}

TEST(IdlePresence, AUserChosenAwayIsNotUndoneByInput) {
    int status = kPresenceAway;
    bool autoAway = false;
    EXPECT_EQ(StepIdlePresence(10, 60000, true, status, autoAway), IdleAction::None);
    EXPECT_EQ(status, kPresenceAway);
}

TEST(IdlePresence, AutoAwayClearedWhenTheStatusMovedOn) {
    int status = kPresenceBusy;
    bool autoAway = true;
    EXPECT_EQ(StepIdlePresence(10, 60000, true, status, autoAway), IdleAction::None);
    EXPECT_FALSE(autoAway);
    EXPECT_EQ(status, kPresenceBusy);
}

}  // namespace
}  // namespace mirelo
