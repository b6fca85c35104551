#include "popups/notifier_text.h"

#include <gtest/gtest.h>

#include "korean_text.h"

namespace mirelo {
namespace {

using Rows = std::array<std::string, 4>;

TEST(NotifierText, ReadsEveryKey) {
    const NotifierFields f = ParseNotifierText(
        "HEADER:Fire drill\nICON:MAILAVI.AVI\nTEXT1:one\nTEXT2:two\n"
        "TEXT3:three\nTEXT4:four",
        "");
    EXPECT_EQ(f.header, "Fire drill");
    EXPECT_EQ(f.icon, "MAILAVI.AVI");
    EXPECT_EQ(f.rows, (Rows{"one", "two", "three", "four"}));
}

TEST(NotifierText, Rules) {
    struct Case {
        std::string text, sender;
        std::string header, icon;
        Rows rows;
    };
    const Case cases[] = {
        {"", "", "", "", {" ", " ", " ", " "}},                                             // defaults
        {"ICON:null\nTEXT1:null", "", "", "", {" ", " ", " ", " "}},                        // "null" ignored
        {"TEXT1:a\nTEXT1:b", "", "", "", {"b", " ", " ", " "}},                             // the later wins
        {"TEXT1:a\nTEXT1:null", "", "", "", {"a", " ", " ", " "}},                          // null keeps the earlier
        {"HEADER x\nTEXT2 y\nOTHER:z", "", "", "", {" ", " ", " ", " "}},                   // no colon, other key
        {"header:lower\nHEADER:a:b", "", "a:b", "", {" ", " ", " ", " "}},                  // case-sensitive key
        {"HEADER:h\r\nTEXT1:null\r\n", "", "h\r", "", {"null\r", " ", " ", " "}},           // "\r" stays
        {"\n\n\nTEXT3:c\n\n", "", "", "", {" ", " ", "c", " "}},                            // empty lines
        {"HEADER:h\nTEXT1:con", "tinued\nTEXT2:x", "h", "", {"continued", "x", " ", " "}},  // into the sender
        {"TEXT4:", "", "", "", {" ", " ", " ", ""}},                                        // an empty value is taken
    };
    for (const Case& c : cases) {
        const NotifierFields f = ParseNotifierText(c.text, c.sender);
        EXPECT_EQ(f.header, c.header) << c.text;
        EXPECT_EQ(f.icon, c.icon) << c.text;
        EXPECT_EQ(f.rows, c.rows) << c.text;
    }
}

TEST(NotifierText, BuildsWhatItParses) {
    const std::string text = BuildNotifierText("H", "gsavi.avi", Rows{"a", "", "c", ""});
    EXPECT_EQ(text, "HEADER:H\nICON:gsavi.avi\nTEXT1:a\nTEXT3:c\n");
    const NotifierFields f = ParseNotifierText(text, "Kim");  // the sender stands on a line of its own
    EXPECT_EQ(f.rows, (Rows{"a", " ", "c", " "}));
    EXPECT_EQ(f.icon, "gsavi.avi");
}

TEST(NotifierLook, ColourAndClipByIcon) {
    struct Case {
        std::string icon;
        Rgb background;
        Rect clip;
        std::string clipName;
    };
    const Rgb bbs{230, 245, 245};
    const Case cases[] = {
        {"MAILAVI.AVI", {225, 227, 241}, {5, 5, 55, 45}, "MAILAVI.AVI"},
        {"SancAvi.avi", {241, 232, 221}, {5, 5, 45, 45}, "SancAvi.avi"},
        {"gsavi.avi", {237, 244, 225}, {5, 5, 45, 45}, "gsavi.avi"},
        {"bbsavi.avi", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"party.avi", bbs, {5, 5, 43, 45}, "party.avi"},
        {"..\\..\\x.avi", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"C:x.avi", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"/etc/x.avi", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"..", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
        {"MAILAVI.AVI\r", bbs, {5, 5, 43, 45}, "bbsavi.avi"},
    };
    for (const Case& c : cases) {
        const NotifierLook look = NotifierLookOf(c.icon, IsCp949LeadByte);
        EXPECT_EQ(look.background, c.background) << c.icon;
        EXPECT_EQ(look.clip, c.clip) << c.icon;
        EXPECT_EQ(look.clipName, c.clipName) << c.icon;
    }
}

TEST(NotifierLook, PlainFileNamesSkipTrailBytes) {
    EXPECT_TRUE(IsPlainFileName(testing::Cp949("공지.avi"), IsCp949LeadByte));
    EXPECT_TRUE(IsPlainFileName("a..b.avi", IsCp949LeadByte));
    // A lead byte whose trail byte is a backslash (as in double-byte code pages that allow it).
    const auto everyHighByteLeads = [](unsigned char byte) { return byte >= 0x81; };
    EXPECT_TRUE(IsPlainFileName("\x81\\x.avi", everyHighByteLeads));
    EXPECT_FALSE(IsPlainFileName("\x81\\x.avi", [](unsigned char) { return false; }));
}

}  // namespace
}  // namespace mirelo
