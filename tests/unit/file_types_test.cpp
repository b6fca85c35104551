#include "core/file_types.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

TEST(FileTypes, ViewerCommandHasTwoBlanksBeforeTheArgument) {
    EXPECT_EQ(ViewerOpenCommand("C:\\Tessel"), "C:\\Tessel\\bin\\qxview.exe /V /P  %1");
}

TEST(FileTypes, EditFlagsAreRewrittenUnlessTheirThirdByteIsOne) {
    EXPECT_FALSE(ShortcutEditFlagsNeedUpdate(std::string_view("\x00\x00\x01\x00", 4)));
    EXPECT_FALSE(ShortcutEditFlagsNeedUpdate(std::string_view("\xff\xff\x01\xff", 4)));
    EXPECT_TRUE(ShortcutEditFlagsNeedUpdate(std::string_view("\x00\x00\x00\x00", 4)));
    EXPECT_TRUE(ShortcutEditFlagsNeedUpdate(std::string_view("\x00\x01", 2)));
    EXPECT_TRUE(ShortcutEditFlagsNeedUpdate(""));
}

}  // namespace
}  // namespace mirelo
