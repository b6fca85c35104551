#include "core/string_table.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(FormatText, FillsTextPlacesInOrder) {
    EXPECT_EQ(FormatText("%s and %s", {"a", "b"}), "a and b");
    EXPECT_EQ(FormatText("%s%s%s", {"x", "", "z"}), "xz");
    EXPECT_EQ(FormatText("no places", {"a"}), "no places");
}

TEST(FormatText, PercentSignsThatAreNoTextPlace) {
    EXPECT_EQ(FormatText("100%% of %s", {"it"}), "100% of it");
    EXPECT_EQ(FormatText("%d %s %", {"x"}), "%d x %");
    EXPECT_EQ(FormatText("%s", {"%s"}), "%s") << "an argument is not read as a format";
}

TEST(FormatText, APlaceWithoutArgumentIsEmpty) { EXPECT_EQ(FormatText("%s-%s-%s", {"a"}), "a--"); }

}  // namespace
}  // namespace mirelo
