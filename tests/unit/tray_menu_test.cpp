#include "tray/tray_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

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

// The tray menus of menus.rc by language: the top-level entries with their commands.
std::map<std::string, std::vector<TrayMenuEntry>> LoadedMenus() {
    std::ifstream file(std::string(MIRELO_SOURCE_DIR) + "/client/resources/menus.rc");
    std::map<std::string, std::vector<TrayMenuEntry>> menus;
    std::string line, language;
    int depth = 0;
    bool inMenu = false;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "LANGUAGE") words >> language;
        if (line.find("IDR_TRAY_MENU") != std::string::npos) inMenu = true;
        if (!inMenu) continue;
        if (word == "BEGIN") ++depth;
        if (word == "END" && --depth == 0) inMenu = false;
        auto& entries = menus[language];
        const bool popup = word == "POPUP";
        if (depth == 2 && popup) entries.emplace_back();
        if (word != "MENUITEM") continue;
        const size_t comma = line.rfind("\", ");
        const int command = line.find("SEPARATOR") != std::string::npos ? 0 : std::atoi(line.c_str() + comma + 2);
        if (depth == 2) entries.push_back({command, {}});
        if (depth == 3 && command != 0) entries.back().submenu.push_back(command);
    }
    return menus;
}

// What is left of a menu after the plan's deletions: each entry by its command or its submenu's first.
std::vector<int> Remaining(std::vector<TrayMenuEntry> menu, const TrayMenuPlan& plan) {
    for (int position : PositionsToDelete(menu, plan.deleteCommands)) menu.erase(menu.begin() + position);
    std::vector<int> left;
    for (const TrayMenuEntry& entry : menu) left.push_back(entry.submenu.empty() ? entry.command : entry.submenu[0]);
    return left;
}

TEST_F(TrayMenuTest, EachLanguageLosesExactlyTheEntriesMeant) {
    constexpr int kAbout = kCmdAbout, kTop = kCmdAlwaysOnTop, kPos = kCmdPosCenter, kClose = kCmdNeverClose,
                  kUse = kCmdUseMail, kUrgent = kCmdOnlyUrgency, kQuiet = kCmdQuietWhilePresenting,
                  kHistory = kCmdHistory, kExit = kCmdExit;
    const std::vector<int> full = {kAbout, kTop, kPos, kClose, kUse, kQuiet, kHistory, kExit};
    const std::vector<int> shorter = {kAbout, kTop, kPos, kUse, kUrgent, kQuiet, kHistory, kExit};
    const struct {
        bool receiveList, showUsage;
        std::vector<int> koreanAndEnglish, japaneseAndChinese;
    } cases[] = {
        {false, true, full, shorter},
        {false,
         false,
         {kAbout, kTop, kPos, kClose, kQuiet, kHistory, kExit},
         {kAbout, kTop, kPos, kUrgent, kQuiet, kHistory, kExit}},
        {true, true, {kAbout, kHistory, kExit}, {kAbout, kHistory, kExit}},
        {true, false, {kAbout, kHistory, kExit}, {kAbout, kHistory, kExit}},
    };
    const auto menus = LoadedMenus();
    ASSERT_EQ(menus.size(), 4u);
    for (const auto& c : cases) {
        settings.ReceiveListMode = c.receiveList;
        settings.ShowUseNotifyMenu = c.showUsage;
        const TrayMenuPlan plan = PlanTrayMenu(settings);
        for (const auto& [language, menu] : menus) {
            const bool shorterMenu = language == "LANG_JAPANESE," || language == "LANG_CHINESE,";
            EXPECT_EQ(Remaining(menu, plan), shorterMenu ? c.japaneseAndChinese : c.koreanAndEnglish)
                << language << " receive list " << c.receiveList << " usage " << c.showUsage;
        }
    }
}

TEST(TrayMenuPositions, HighestFirstAndMissingCommandsSkipped) {
    const std::vector<TrayMenuEntry> menu = {{1, {}}, {0, {5, 6}}, {0, {}}, {3, {}}};
    EXPECT_EQ(PositionsToDelete(menu, {6, 1, 3, 99}), (std::vector<int>{3, 1, 0}));
    EXPECT_EQ(PositionsToDelete(menu, {0}), std::vector<int>{}) << "a separator is never named";
    EXPECT_EQ(PositionsToDelete(menu, {}), std::vector<int>{});
}

TEST_F(TrayMenuTest, ChecksFollowTheSettings) {
    settings.FloatTime = 10000;
    settings.DisplayPos = 3;
    settings.UseBringOnTop = false;
    settings.UseBBSNotify = false;
    settings.OnlyUrgency = true;
    settings.QuietWhilePresenting = false;
    const TrayMenuPlan plan = PlanTrayMenu(settings);
    EXPECT_EQ(plan.checked, (std::vector<int>{kCmdClose10s, kCmdPosLeftBottom, kCmdUseMail, kCmdUseApproval,
                                              kCmdUseSchedule, kCmdOnlyUrgency}));
    for (int id : {kCmdNeverClose, kCmdClose3s, kCmdClose30s, kCmdAlwaysOnTop, kCmdPosCenter, kCmdUseBbs,
                   kCmdQuietWhilePresenting}) {
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
    ApplySettingsCommand(kCmdQuietWhilePresenting, settings);
    EXPECT_FALSE(settings.QuietWhilePresenting);
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
