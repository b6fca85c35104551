#include "store/macros.h"

#include "korean_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace mirelo {
namespace {

using testing::Cp949;

// Section "Macro" of an INI file in memory, counting how often each part of it is read.
class FakeMacroSource : public MacroSource {
public:
    std::vector<std::string> names;
    std::map<std::string, std::string> values;
    int nameReads = 0;
    std::vector<std::string> valueReads;

    void Define(const std::string& name, const std::string& value) {
        names.push_back(name);
        values[name] = value;
    }

    std::vector<std::string> ReadMacroNames() override {
        ++nameReads;
        return names;
    }

    std::string ReadMacroValue(const std::string& name) override {
        valueReads.push_back(name);
        const auto found = values.find(name);
        return found == values.end() ? name : found->second;
    }
};

class ExpandMacrosTest : public ::testing::Test {
protected:
    std::string Expand(std::string_view text) { return ExpandMacros(text, table, source); }

    FakeMacroSource source;
    MacroTable table;
};

TEST_F(ExpandMacrosTest, ReplacesAKnownName) {
    source.Define("site", "Tessel");
    EXPECT_EQ(Expand("Welcome to $site$."), "Welcome to Tessel.");
    EXPECT_EQ(Expand("$site$$site$"), "TesselTessel");
}

TEST_F(ExpandMacrosTest, AnUnknownNameLosesOnlyItsDollarSigns) {
    source.Define("site", "Tessel");
    EXPECT_EQ(Expand("a $other$ b"), "a other b");
}

TEST_F(ExpandMacrosTest, ScanningGoesOnAfterTheClosingSignOfAnUnknownName) {
    source.Define("y", "Y!");
    EXPECT_EQ(Expand("$x$$y$"), "xY!");
    // The closing "$" of an unknown name never opens the next one.
    source.Define("k", "K!");
    EXPECT_EQ(Expand("$u$k$"), "uk$");
}

TEST_F(ExpandMacrosTest, AnInsertedValueIsNotExpandedAgain) {
    source.Define("a", "$b$");
    source.Define("b", "B");
    EXPECT_EQ(Expand("$a$"), "$b$");
    EXPECT_EQ(Expand("$a$ $b$"), "$b$ B");
}

TEST_F(ExpandMacrosTest, ADollarWithoutAPartnerStays) {
    source.Define("x", "X");
    EXPECT_EQ(Expand("costs 5$"), "costs 5$");
    EXPECT_EQ(Expand("$"), "$");
    EXPECT_EQ(Expand("$x$ and $"), "X and $");
    EXPECT_EQ(Expand("$x"), "$x");
}

TEST_F(ExpandMacrosTest, AnEmptyNameBetweenTwoSignsIsDropped) {
    source.Define("x", "X");
    EXPECT_EQ(Expand("a$$b"), "ab");
    EXPECT_EQ(Expand("$$$x$"), "X");
}

TEST_F(ExpandMacrosTest, KoreanNamesWithAndWithoutTheirKey) {
    const std::string review = Cp949("공람");
    const std::string text = "$" + review + "$" + Cp949("문서");
    EXPECT_EQ(Expand(text), review + Cp949("문서"));

    FakeMacroSource defined;
    defined.Define(review, Cp949("회람"));
    MacroTable filled;
    EXPECT_EQ(ExpandMacros(text, filled, defined), Cp949("회람문서"));
    EXPECT_EQ(ExpandMacros("$" + review + "$", filled, defined), Cp949("회람"));
}

TEST_F(ExpandMacrosTest, AKeyWithoutAValueStandsForItsOwnName) {
    source.names = {"bare"};
    EXPECT_EQ(Expand("[$bare$]"), "[bare]");
    EXPECT_EQ(table.Find("bare") != nullptr, true);
}

TEST_F(ExpandMacrosTest, TheTableIsFilledOnceInFileOrder) {
    source.Define("b", "2");
    source.Define("a", "1");
    EXPECT_EQ(Expand("$a$$b$"), "12");
    EXPECT_EQ(source.valueReads, (std::vector<std::string>{"b", "a"}));

    // Later changes to the file are not seen.
    source.Define("c", "3");
    source.values["a"] = "changed";
    EXPECT_EQ(Expand("$a$$c$"), "1c");
    EXPECT_EQ(source.nameReads, 1);
    EXPECT_EQ(source.valueReads.size(), 2u);
}

TEST_F(ExpandMacrosTest, AnEmptySectionIsReadAgainAtTheNextCall) {
    EXPECT_EQ(Expand("$x$"), "x");
    EXPECT_EQ(Expand("no macros"), "no macros");
    EXPECT_EQ(source.nameReads, 2);
    EXPECT_TRUE(table.Empty());

    source.Define("x", "X");
    EXPECT_EQ(Expand("$x$"), "X");
    EXPECT_EQ(source.nameReads, 3);
    EXPECT_FALSE(table.Empty());
}

TEST(SplitNameList, ReadsNamesUpToTheEmptyOne) {
    EXPECT_EQ(SplitNameList(std::string_view("a\0bc\0\0junk\0", 11)), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(SplitNameList(std::string_view("\0\0", 2)), std::vector<std::string>{});
    EXPECT_EQ(SplitNameList(""), std::vector<std::string>{});
    // A list cut by the end of the buffer keeps its last, cut name.
    EXPECT_EQ(SplitNameList(std::string_view("one\0tw", 6)), (std::vector<std::string>{"one", "tw"}));
}

}  // namespace
}  // namespace mirelo
