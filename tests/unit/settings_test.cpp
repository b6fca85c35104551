#include "core/settings.h"
#include "core/profile_section.h"

#include <gtest/gtest.h>

#include "fake_settings_host.h"

namespace mirelo {
namespace {

using testing::FakeSettingsHost;

class SettingsTest : public ::testing::Test {
protected:
    FakeSettingsHost host;

    void SetProgramIni(const std::string& version) {
        host.files[host.ProgramIni()]["Server"] = {{"Version", version}, {"UserID", "from-program-folder"}};
    }
    void SetUserIni(const std::string& version) {
        host.directories.insert(host.UserFolder());
        host.files[host.UserIni()]["Server"] = {{"Version", version}, {"UserID", "user-changed"}};
    }
};

TEST_F(SettingsTest, FirstRunCreatesTheUserFolderAndSeedsItFromTheProgramFolder) {
    SetProgramIni("3");
    ClientSettings settings(host);
    EXPECT_EQ(settings.IniPath, "C:\\Users\\kim\\AppData\\Roaming\\Tessel Groupware 8\\Mirelo.ini");
    EXPECT_TRUE(host.IsDirectory(host.UserFolder()));
    EXPECT_EQ(settings.UserID, "from-program-folder");
}

TEST_F(SettingsTest, SameVersionKeepsTheUserCopy) {
    SetProgramIni(" 3 ");
    SetUserIni("3");
    ClientSettings settings(host);
    EXPECT_EQ(settings.UserID, "user-changed");
    EXPECT_TRUE(host.Keys("copy").empty());
}

TEST_F(SettingsTest, DifferentOrEmptyVersionReplacesTheUserCopy) {
    for (const std::string userVersion : {"2", "", "3 x", "3A"}) {
        SetProgramIni("3");
        SetUserIni(userVersion);
        ClientSettings settings(host);
        EXPECT_EQ(settings.UserID, "from-program-folder") << "user version '" << userVersion << "'";
    }
}

TEST_F(SettingsTest, MissingProgramIniAndUncreatableFolderGiveDefaults) {
    host.failMakeDirectory = true;
    ClientSettings settings(host);
    EXPECT_EQ(settings.IniPath, host.UserIni());
    EXPECT_EQ(settings.IPAddress, kBuiltInServerAddress);
    EXPECT_EQ(settings.SendPort, 44444);
    EXPECT_EQ(settings.BrennicCMD, "??");
    EXPECT_EQ(settings.BrowserTitle, "Groupware E/F");
    EXPECT_EQ(settings.BaseURL, "http://none");
    EXPECT_EQ(settings.UserID, "none");
    EXPECT_EQ(settings.ListenPort, 7333);
    EXPECT_EQ(settings.ElpaseTime, 120000);
    EXPECT_TRUE(settings.AutoKill);
    EXPECT_FALSE(settings.Reflesh);
    EXPECT_TRUE(settings.UseBringOnTop);
    EXPECT_TRUE(settings.UseView);
    EXPECT_TRUE(settings.QueryCloseApp);
    EXPECT_TRUE(settings.ShowUseNotifyMenu);
    EXPECT_EQ(settings.BBSViewWidth, 840);
    EXPECT_EQ(settings.MailViewHeight, 660);
    EXPECT_EQ(settings.SancViewWidth, 1024);
    EXPECT_EQ(settings.SancViewHeight, 768);
    EXPECT_EQ(settings.PresenceStatus, 32784);
    EXPECT_EQ(settings.WorkArea, (Rect{0, 0, 1280, 1000}));
    EXPECT_EQ(settings.StartTick, 1234u);
    EXPECT_EQ(settings.ProgramDir, "C:\\Program Files\\Mirelo\\");
    EXPECT_EQ(settings.LevelDigit, 0);
}

TEST_F(SettingsTest, ProgramDirLosesBothSpellingsOfTheProgramName) {
    host.programPath = "D:\\apps\\mirelo.exe";
    EXPECT_EQ(ClientSettings(host).ProgramDir, "D:\\apps\\");
}

TEST_F(SettingsTest, ElpaseTimeIsRaisedToTheMinimumUnlessNegative) {
    const std::pair<std::string, int> cases[] = {
        {"60000", 120000}, {"0", 120000}, {"x", 120000}, {"300000", 300000}, {"-5", -5}};
    for (const auto& [text, held] : cases) {
        host.UserServer()["ElpaseTime"] = text;
        host.UserServer()["Version"] = "";
        host.directories.insert(host.UserFolder());
        EXPECT_EQ(ClientSettings(host).ElpaseTime, held) << text;
    }
}

TEST_F(SettingsTest, BooleansAreTrueExactlyWhenTheFirstCharacterIsOne) {
    const std::pair<std::string, bool> cases[] = {{"yes", false},  {"1x", true}, {"10", true},
                                                  {"true", false}, {"0", false}, {" 1", false}};
    for (const auto& [text, expected] : cases) {
        host.UserServer()["UseMailNotify"] = text;
        ClientSettings settings(host);
        settings.Reload();
        EXPECT_EQ(settings.UseMailNotify, expected) << text;
    }
}

TEST_F(SettingsTest, OnlineTimeoutIsHeldInMillisecondsWithZeroMeaningNever) {
    EXPECT_EQ(ClientSettings::OnlineTimeoutFromMinutes(0), -1);
    EXPECT_EQ(ClientSettings::OnlineTimeoutFromMinutes(5), 300000);
    EXPECT_EQ(ClientSettings::OnlineTimeoutFromMinutes(1), 60000);
    EXPECT_EQ(ClientSettings::OnlineTimeoutFromMinutes(35791), 35791 * 60000);
    EXPECT_EQ(ClientSettings::OnlineTimeoutFromMinutes(999999999), -1);

    ClientSettings settings(host);
    settings.Reload();
    EXPECT_EQ(settings.onlineTimeout, -1) << "no key";
    host.UserServer()["onlineTimeout"] = "5";
    settings.Reload();
    EXPECT_EQ(settings.onlineTimeout, 300000);
}

TEST_F(SettingsTest, StringsAreCutToTheirBuffers) {
    host.UserServer()["IPAddress"] = std::string(40, '9');
    host.UserServer()["BrowserTitle"] = std::string(150, 't');
    ClientSettings settings(host);
    EXPECT_EQ(settings.IPAddress.size(), 21u);
    EXPECT_EQ(settings.BrowserTitle.size(), 99u);
}

TEST_F(SettingsTest, ConstructionReadsInItsOrder) {
    ClientSettings settings(host);
    const std::vector<std::string> expected = {
        "Version",      "QueryCloseApp", "IPAddress",     "SendPort",       "BrennicCMD",        "ElpaseTime",
        "BrowserTitle", "BaseURL",       "UserID",        "AutoKill",       "Reflesh",           "NotifyLogOutType",
        "FloatTime",    "UseBringOnTop", "UseView",       "DisplayPos",     "UseBigFontMessage", "ShowUseNotifyMenu",
        "BBSViewWidth", "BBSViewHeight", "MailViewWidth", "MailViewHeight", "SancViewWidth",     "SancViewHeight"};
    EXPECT_EQ(host.Keys("read"), expected);
}

TEST_F(SettingsTest, ReloadReadsInItsOrderAndLoadsTheUrgentLabel) {
    ClientSettings settings(host);
    host.journal.clear();
    host.UserServer()["UseRecvListDlg"] = "1";
    host.UserServer()["ShowApprConst"] = "1";
    host.UserServer()["KillAppOnMessengerLoaded"] = "1";
    host.UserServer()["QuietWhilePresenting"] = "0";
    settings.Reload();
    const std::vector<std::string> expected = {"onlineTimeout", "UseMailNotify",    "UseBBSNotify",
                                               "UseSancNotify", "UseGSNotify",      "MessengerAlwaysOnTop",
                                               "OnlyUrgency",   "LoginToMessanger", "KillAppOnMessengerLoaded",
                                               "ShowApprConst", "UseRecvListDlg",   "QuietWhilePresenting",
                                               "KeepHistory"};
    EXPECT_EQ(host.Keys("read"), expected);
    EXPECT_EQ(settings.UrgentLabel, "[text 61331]");
    EXPECT_TRUE(settings.ReceiveListMode);
    EXPECT_TRUE(settings.ShowApprConst);
    EXPECT_TRUE(settings.KillAppOnMessengerLoaded);
    EXPECT_FALSE(settings.QuietWhilePresenting);
    EXPECT_TRUE(settings.KeepHistory);  // on when the file does not say
}

TEST_F(SettingsTest, SaveWritesItsKeysInOrderOnce) {
    {
        ClientSettings settings(host);
        settings.UseBBSNotify = false;
        settings.DisplayPos = 4;
        settings.FloatTime = 3000;
        settings.IPAddress = "10.1.2.3";
        settings.QuietWhilePresenting = false;
        host.journal.clear();
    }
    const std::vector<std::string> expected = {
        "UseMailNotify", "UseBBSNotify", "UseSancNotify", "UseGSNotify",      "UseBringOnTop", "OnlyUrgency",
        "DisplayPos",    "IPAddress",    "SendPort",      "ElpaseTime",       "BrowserTitle",  "BaseURL",
        "UserID",        "AutoKill",     "Reflesh",       "NotifyLogOutType", "FloatTime",     "QuietWhilePresenting",
        "KeepHistory"};
    EXPECT_EQ(host.Keys("write"), expected);
    EXPECT_EQ(host.UserServer()["UseBBSNotify"], "0");
    EXPECT_EQ(host.UserServer()["UseMailNotify"], "1");
    EXPECT_EQ(host.UserServer()["DisplayPos"], "4");
    EXPECT_EQ(host.UserServer()["FloatTime"], "3000");
    EXPECT_EQ(host.UserServer()["IPAddress"], "10.1.2.3");
    EXPECT_EQ(host.UserServer()["QuietWhilePresenting"], "0");
    EXPECT_EQ(host.UserServer()["KeepHistory"], "1");
}

TEST_F(SettingsTest, EmptyIPAddressSuppressesTheWholeSave) {
    {
        ClientSettings settings(host);
        settings.IPAddress.clear();
        settings.UserID = "changed";
        host.journal.clear();
    }
    EXPECT_TRUE(host.Keys("write").empty());
}

TEST_F(SettingsTest, ACancelledSaveWritesNothing) {
    {
        ClientSettings settings(host);
        settings.UserID = "changed";
        settings.CancelSave();
        host.journal.clear();
    }
    EXPECT_TRUE(host.Keys("write").empty());
}

TEST_F(SettingsTest, SaveEmptiesTheTransientTextsAndPopupLists) {
    ClientSettings settings(host);
    settings.AlertCaption = "Alert";
    const int popup = 0;
    settings.OpenPopupLists[2].push_back(&popup);
    EXPECT_TRUE(settings.AnyPopupOpen());
    settings.Save();
    EXPECT_TRUE(settings.IPAddress.empty());
    EXPECT_TRUE(settings.BrowserTitle.empty());
    EXPECT_TRUE(settings.AlertCaption.empty());
    EXPECT_FALSE(settings.AnyPopupOpen());
}

TEST_F(SettingsTest, SavedValuesStayOneLineEach) {
    {
        ClientSettings settings(host);
        settings.BrowserTitle = "Title\r\nUseView=0";
    }
    EXPECT_EQ(host.UserServer()["BrowserTitle"], "Title  UseView=0");
    EXPECT_EQ(host.UserServer().count("UseView"), 0u);
}

TEST(ProfileSection, FindsKeysAsTheProfileFunctionsDo) {
    using namespace std::string_view_literals;
    const ProfileSection section("Version=3\0floattime=500\0 Spaced = a b \0; a comment\0=no key\0"
                                 "Quoted=\"x y\"\0Single='z'\0Half=\"w\0Version=4\0Empty=\0BaseURL=http://gw/a=b\0"sv);
    const struct {
        const char* key;
        std::size_t bufferSize;
        std::optional<std::string> value;
    } cases[] = {
        {"Version", 64, "3"},           // the first of equal keys
        {"FloatTime", 64, "500"},       // keys match without regard to case
        {"spaced", 64, "a b"},          // spaces around key and value go
        {"Quoted", 64, "x y"},          // matching quotes go
        {"Single", 64, "z"},
        {"Half", 64, "\"w"},            // a lone quote stays
        {"Empty", 64, ""},
        {"BaseURL", 64, "http://gw/a=b"},
        {"BaseURL", 5, "http"},         // cut to the buffer, its last character kept for the zero
        {"; a comment", 64, std::nullopt},
        {"Missing", 64, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(section.Find(c.key, c.bufferSize), c.value) << c.key << " " << c.bufferSize;
    EXPECT_EQ(ProfileSection(""sv).Find("Version", 64), std::nullopt);
}

}  // namespace
}  // namespace mirelo
