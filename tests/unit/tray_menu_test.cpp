#include "tray/tray_menu.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "fake_settings_host.h"

namespace mirelo {
namespace {

class TrayMenuTest : public ::testing::Test {
protected:
    testing::FakeSettingsHost host;
    ClientSettings settings{host};

    static bool Has(const std::vector<int>& list, int id) {
        return std::find(list.begin(), list.end(), id) != list.end();
    }
};

TEST_F(TrayMenuTest, ReceivedListModeLeavesOnlyAboutAndExit) {
    settings.ReceiveListMode = true;
    const TrayMenuPlan plan = PlanTrayMenu(settings);
    EXPECT_EQ(plan.deletePositions, (std::vector<int>{7, 6, 5, 4, 3, 2, 1}));
    EXPECT_TRUE(plan.checked.empty());
}

TEST_F(TrayMenuTest, StatusLogOnAndLogOutAreAlwaysRemoved) {
    const TrayMenuPlan plan = PlanTrayMenu(settings);
    EXPECT_EQ(plan.deletePositions, (std::vector<int>{kMenuPosStatus}));
    EXPECT_EQ(plan.deleteCommands, (std::vector<int>{kCmdLogOn, kCmdLogOut}));
}

TEST_F(TrayMenuTest, UsageIsRemovedWhenItsMenuIsHidden) {
    settings.ShowUseNotifyMenu = false;
    EXPECT_EQ(PlanTrayMenu(settings).deletePositions, (std::vector<int>{kMenuPosStatus, kMenuPosUsage}));
}

TEST_F(TrayMenuTest, ChecksFollowTheSettings) {
    settings.FloatTime = 10000;
    settings.DisplayPos = 3;
    settings.UseBringOnTop = false;
    settings.UseBBSNotify = false;
    settings.OnlyUrgency = true;
    const TrayMenuPlan plan = PlanTrayMenu(settings);
    EXPECT_EQ(plan.checked, (std::vector<int>{kCmdClose10s, kCmdPosLeftBottom, kCmdUseMail, kCmdUseApproval,
                                              kCmdUseSchedule, kCmdOnlyUrgency}));
    for (int id : {kCmdNeverClose, kCmdClose3s, kCmdClose30s, kCmdAlwaysOnTop, kCmdPosCenter, kCmdUseBbs}) {
        EXPECT_TRUE(Has(plan.unchecked, id)) << id;
    }
}

TEST_F(TrayMenuTest, OddValuesCheckNoEntryOfTheirGroup) {
    settings.FloatTime = 5000;
    settings.DisplayPos = 7;
    const TrayMenuPlan plan = PlanTrayMenu(settings);
    for (int id : {kCmdNeverClose, kCmdClose3s, kCmdClose10s, kCmdClose30s, kCmdPosCenter, kCmdPosLeftTop,
                   kCmdPosRightTop, kCmdPosLeftBottom, kCmdPosRightBottom}) {
        EXPECT_FALSE(Has(plan.checked, id)) << id;
    }
}

TEST_F(TrayMenuTest, SettingsCommandsChangeOnlyTheInMemorySettings) {
    EXPECT_EQ(ApplySettingsCommand(kCmdPosRightBottom, settings).positionChanged, true);
    EXPECT_EQ(settings.DisplayPos, 4);
    EXPECT_TRUE(ApplySettingsCommand(kCmdClose30s, settings).handled);
    EXPECT_EQ(settings.FloatTime, 30000);
    EXPECT_TRUE(ApplySettingsCommand(kCmdNeverClose, settings).handled);
    EXPECT_EQ(settings.FloatTime, 0);
    ApplySettingsCommand(kCmdUseMail, settings);
    EXPECT_FALSE(settings.UseMailNotify);
    ApplySettingsCommand(kCmdUseMail, settings);
    EXPECT_TRUE(settings.UseMailNotify);
    ApplySettingsCommand(kCmdAlwaysOnTop, settings);
    EXPECT_FALSE(settings.UseBringOnTop);
    ApplySettingsCommand(kCmdOnlyUrgency, settings);
    EXPECT_TRUE(settings.OnlyUrgency);
    EXPECT_FALSE(ApplySettingsCommand(32784, settings).handled) << "presence is not a settings command";
    EXPECT_FALSE(ApplySettingsCommand(kCmdAbout, settings).handled);
}

TEST(Blink, ElevenTicksAlternatingAndEndingOnTheNormalIcon) {
    BlinkCounter blink;
    blink.Start();
    std::string pattern;
    for (int tick = 0; tick < 20; ++tick) {
        const auto step = blink.Next();
        pattern += step.highlight ? 'H' : 'N';
        if (step.stop) break;
    }
    EXPECT_EQ(pattern, "HNHNHNHNHNN");
    EXPECT_EQ(blink.Counter(), 0);
}

TEST(Blink, ARestartBeginsAgainAtTen) {
    BlinkCounter blink;
    blink.Start();
    for (int i = 0; i < 3; ++i) blink.Next();
    blink.Start();
    int ticks = 0;
    while (!blink.Next().stop) ++ticks;
    EXPECT_EQ(ticks + 1, 11);
}

}  // namespace
}  // namespace mirelo
