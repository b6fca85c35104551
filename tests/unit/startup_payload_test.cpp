#include "core/startup_payload.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "fake_settings_host.h"

namespace mirelo {
namespace {

class PayloadTest : public ::testing::Test {
protected:
    testing::FakeSettingsHost host;
    ClientSettings settings{host};

    std::vector<AppliedField> Apply(std::string_view payload) { return ApplyStartupPayload(payload, settings); }
};

TEST(NextPayloadValue, DeliversOnlyCommaTerminatedNonEmptyValues) {
    const std::string_view text = "a,bc,,d";
    std::size_t position = 0;
    EXPECT_EQ(NextPayloadValue(text, position), "a");
    EXPECT_EQ(position, 2u);
    EXPECT_EQ(NextPayloadValue(text, position), "bc");
    EXPECT_EQ(NextPayloadValue(text, position), std::nullopt);
    EXPECT_EQ(position, 5u) << "an empty value does not move the position";
    position = 6;
    EXPECT_EQ(NextPayloadValue(text, position), std::nullopt) << "no comma after the last value";
    EXPECT_EQ(position, 6u);
}

TEST_F(PayloadTest, AllEighteenFieldsWithTheirConversions) {
    const auto applied =
        Apply("10.0.0.7,5555,My Groupware,7400,kim,0,1,1,key77,http://gw/,1,1,x,0,y,z,2,http://gw/refresh,");
    ASSERT_EQ(applied.size(), 18u);
    EXPECT_EQ(settings.IPAddress, "10.0.0.7");
    EXPECT_EQ(settings.SendPort, 5555);
    EXPECT_EQ(settings.BrowserTitle, "My Groupware");
    EXPECT_EQ(settings.ListenPort, 7400);
    EXPECT_EQ(settings.UserID, "kim");
    EXPECT_FALSE(settings.AutoKill);
    EXPECT_TRUE(settings.Reflesh);
    EXPECT_EQ(settings.NotifyLogOutType, 1);
    EXPECT_EQ(settings.UserKey, "key77");
    EXPECT_EQ(settings.ServerUrl, "http://gw/");
    EXPECT_TRUE(settings.SpeakNotifications);
    EXPECT_TRUE(settings.ListenMode);
    EXPECT_FALSE(settings.UseView);
    EXPECT_EQ(settings.LevelDigit, 2);
    EXPECT_EQ(settings.RefreshUrl, "http://gw/refresh");
    EXPECT_EQ(applied[12].number, 13);
    EXPECT_EQ(applied[12].value, "x");
}

TEST_F(PayloadTest, AnEmptyValueStopsTheReading) {
    settings.RefreshUrl = "before";
    const auto applied = Apply("a,1,t,7400,u,1,0,0,k,s,0,0,,1,x,x,5,r,");
    EXPECT_EQ(applied.size(), 12u);
    EXPECT_EQ(settings.ListenPort, 7400);
    EXPECT_TRUE(settings.UseView) << "field 14 keeps its previous value";
    EXPECT_EQ(settings.RefreshUrl, "before");
    EXPECT_EQ(settings.LevelDigit, 1);
}

TEST_F(PayloadTest, ALastValueWithoutCommaIsIgnored) {
    settings.UserID = "before";
    const auto applied = Apply("1.2.3.4,44444,title,7333,newuser");
    EXPECT_EQ(applied.size(), 4u);
    EXPECT_EQ(settings.UserID, "before");
}

TEST_F(PayloadTest, SpeechNeedsExactlyOneWhileOtherFlagsLookAtTheFirstCharacter) {
    Apply("a,1,t,7333,u,1 ,0,0,k,s,1 ,");
    EXPECT_TRUE(settings.AutoKill);
    EXPECT_FALSE(settings.SpeakNotifications);
    Apply("a,1,t,7333,u,0,0,0,k,s,1,");
    EXPECT_TRUE(settings.SpeakNotifications);
}

TEST_F(PayloadTest, LevelDigitIsOneUnlessTheFieldStartsWithADigit) {
    settings.LevelDigit = 0;
    Apply("");
    EXPECT_EQ(settings.LevelDigit, 1);
    Apply("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,x9,");
    EXPECT_EQ(settings.LevelDigit, 1);
    Apply("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,0,");
    EXPECT_EQ(settings.LevelDigit, 0);
    Apply("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,97,");
    EXPECT_EQ(settings.LevelDigit, 9);
}

TEST_F(PayloadTest, NumbersConvertLikeAtoi) {
    Apply("a,  12abc,t,port,");
    EXPECT_EQ(settings.SendPort, 12);
    EXPECT_EQ(settings.ListenPort, 0);
    Apply("a,99999999999999,t,-7,");
    EXPECT_EQ(settings.SendPort, 2147483647);
    EXPECT_EQ(settings.ListenPort, -7);
}

TEST_F(PayloadTest, TheHeadTagCutPrefersUpperCase) {
    Apply("<html><head></head>ignored,x,y,z,</HEAD>10.0.0.1,80,");
    EXPECT_EQ(settings.IPAddress, "10.0.0.1");
    Apply("<title>t,t</title></head>10.0.0.2,81,");
    EXPECT_EQ(settings.IPAddress, "10.0.0.2");
    EXPECT_EQ(CutAfterHeadTag("no tag,"), "no tag,");
}

TEST_F(PayloadTest, LongAndBinaryValuesAreTakenWhole) {
    const std::string longTitle(5000, 'T');
    Apply("a,1," + longTitle + ",");
    EXPECT_EQ(settings.BrowserTitle, longTitle);
    const std::string binary("\x01\xff\x00\x7f", 4);
    Apply("b,2," + binary + ",");
    EXPECT_EQ(settings.BrowserTitle, binary);
}

TEST(StoreFileName, FollowsTheUserKeyAndStaysInsideTheFolder) {
    EXPECT_EQ(StoreFileName(""), "alerts.xml");
    EXPECT_EQ(StoreFileName("NULL"), "NULL_alerts.xml");
    EXPECT_EQ(StoreFileName("u-17"), "u-17_alerts.xml");
    EXPECT_EQ(StoreFileName("..\\..\\Windows\\x"), ".._.._Windows_x_alerts.xml");
    EXPECT_EQ(StoreFileName("C:/a*b?\"<>|\n"), "C__a_b_______alerts.xml");
}

TEST(CommandLine, AppExitIsFoundAnywhereCaseSensitively) {
    EXPECT_TRUE(HasAppExit("APPEXIT"));
    EXPECT_TRUE(HasAppExit("x APPEXIT y"));
    EXPECT_FALSE(HasAppExit("appexit"));
}

TEST(CommandLine, PathDropsSurroundingQuotesOrIsCutAt259) {
    EXPECT_EQ(CommandLinePath("\"C:\\my files\\a.xnf\" extra"), "C:\\my files\\a.xnf");
    EXPECT_EQ(CommandLinePath("\"C:\\unterminated.xnf"), "C:\\unterminated.xnf");
    EXPECT_EQ(CommandLinePath("C:\\a.xnf"), "C:\\a.xnf");
    EXPECT_EQ(CommandLinePath(std::string(400, 'p')).size(), 259u);
    EXPECT_EQ(CommandLinePath(""), "");
}

TEST(CommandLine, ShortcutFilesAreRecognisedByTheirExtension) {
    EXPECT_TRUE(NamesShortcutFile("C:\\x\\a.xnf"));
    EXPECT_FALSE(NamesShortcutFile("qsnotifyclient://1.2.3.4,"));
    EXPECT_TRUE(NamesShortcutFile("\"C:\\my link.xnf\""));
    EXPECT_FALSE(NamesShortcutFile("\"C:\\Users\\me\\thesis.docx\" x.xnf"));
    EXPECT_FALSE(NamesShortcutFile("qsnotifyclient://1.2.3.4,0,GW,7333,kim,0,0,0,k,http://gw/a.xnf,"));
    EXPECT_TRUE(IsShortcutPath("C:\\A.XNF"));
    EXPECT_FALSE(IsShortcutPath("C:\\a.xnf.txt"));
    EXPECT_FALSE(IsShortcutPath("C:\\boot.ini"));
    EXPECT_FALSE(IsShortcutPath("xnf"));
}

TEST(CommandLine, LinkPayloadLosesTheSchemeAndSurroundingQuotes) {
    EXPECT_EQ(LinkPayload("qsnotifyclient://1.2.3.4,80,"), "1.2.3.4,80,");
    EXPECT_EQ(LinkPayload("\"qsnotifyclient://1.2.3.4,80,\""), "1.2.3.4,80,");
    EXPECT_EQ(LinkPayload("1.2.3.4,80,"), "1.2.3.4,80,");
    EXPECT_EQ(LinkPayload("\""), "\"");
}

TEST(CommandLine, ShortcutsOfFewerThanFiveBytesAreEmpty) {
    EXPECT_EQ(ShortcutPayload("a,b,"), "");
    EXPECT_EQ(ShortcutPayload("a,b,c"), "a,b,c");
    EXPECT_EQ(ShortcutPayload(std::string(300, 'x')).size(), 260u);
}

}  // namespace
}  // namespace mirelo
