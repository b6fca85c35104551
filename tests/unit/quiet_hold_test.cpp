#include "reception/quiet_hold.h"

#include <gtest/gtest.h>

#include <string>

#include "reception/dispatch_plan.h"

namespace mirelo {
namespace {

TEST(QuietHold, QuietStatesAreBusyFullScreenPresentationAndQuietTime) {
    const struct {
        int state;
        bool quiet;
    } cases[] = {{0, false},
                 {kUserStateNotPresent, false},
                 {kUserStateBusy, true},
                 {kUserStateFullScreenDirect3D, true},
                 {kUserStatePresentationMode, true},
                 {kUserStateAcceptsNotifications, false},
                 {kUserStateQuietTime, true},
                 {kUserStateApp, false},
                 {8, false}};
    for (const auto& c : cases) EXPECT_EQ(IsQuietState(c.state), c.quiet) << c.state;
}

TEST(QuietHold, OnlyWhatWouldPopUpIsHeldAndOnlyWhileQuietAndSwitchedOn) {
    DispatchPlan popup;
    popup.showPopup = true;
    popup.playSound = true;
    DispatchPlan soundOnly;  // its pop-up switch is off
    soundOnly.playSound = true;
    DispatchPlan listed;  // received-list mode
    listed.listed = true;
    const struct {
        const DispatchPlan& plan;
        bool on;
        bool quiet;
        bool held;
    } cases[] = {{popup, true, true, true},
                 {popup, false, true, false},
                 {popup, true, false, false},
                 {soundOnly, true, true, false},
                 {listed, true, true, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(HoldsNotification(c.plan, c.on, c.quiet), c.held)
            << c.plan.showPopup << c.plan.listed << c.on << c.quiet;
    }
}

TEST(QuietHold, ForcedStateIsTheFirstNumberWhenItIsAKnownState) {
    const struct {
        const char* text;
        int state;  // 0: none
    } cases[] = {{"4", 4},  {" 2\r\n", 2},      {"5x", 5}, {"7", 7},  {"0", 0}, {"8", 0},
                 {"44", 0}, {"99999999999", 0}, {"", 0},   {"x4", 0}, {"-4", 0}};
    for (const auto& c : cases) EXPECT_EQ(ParseForcedState(c.text).value_or(0), c.state) << c.text;
}

TEST(QuietHold, HeldNotificationsComeBackOldestFirstAndStayBounded) {
    HeldNotifications held;
    for (const char* subject : {"a", "b", "c"}) {
        ReceivedListItem item;
        item.subject = subject;
        EXPECT_FALSE(held.Hold(std::move(item)));
    }
    std::string order;
    for (const auto& item : held.TakeAll()) order += item.subject;
    EXPECT_EQ(order, "abc");
    EXPECT_TRUE(held.Empty());

    for (std::size_t i = 0; i < HeldNotifications::kMaxHeld; ++i) {
        ReceivedListItem item;
        item.code = static_cast<int>(i);
        EXPECT_FALSE(held.Hold(std::move(item)));
    }
    EXPECT_TRUE(held.Hold(ReceivedListItem{}));
    EXPECT_EQ(held.Size(), HeldNotifications::kMaxHeld);
    EXPECT_EQ(held.TakeAll().front().code, 1);  // the first one gave way
}

}  // namespace
}  // namespace mirelo
