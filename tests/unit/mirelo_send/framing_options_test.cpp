#include "framing_options.h"

#include <gtest/gtest.h>

namespace mirelo_send {
namespace {

TEST(FramingOptionsTest, HeaderAnnouncesKindAndLength) {
    const std::string payload(57, 'm');
    const FramedMessage message = FrameMessage(2, payload, {});
    EXPECT_EQ(message.error, "");
    EXPECT_EQ(message.bytes, "0000005702" + payload);
    EXPECT_EQ(FrameMessage(99, "", {}).bytes, "0000000099");
    EXPECT_EQ(FrameMessage(0, "", {}).bytes, "0000000000");
}

TEST(FramingOptionsTest, HeaderCanBeReplacedOrDropped) {
    FramingOptions framing;
    framing.header = "garbage";
    EXPECT_EQ(FrameMessage(std::nullopt, "abc", framing).bytes, "garbageabc");
    framing.header.reset();
    framing.noHeader = true;
    EXPECT_EQ(FrameMessage(std::nullopt, "abc", framing).bytes, "abc");
    framing.header = "0000000302";
    EXPECT_NE(FrameMessage(2, "abc", framing).error, "");
}

TEST(FramingOptionsTest, MessageCanBeLongerOrShorterThanAnnounced) {
    FramingOptions framing;
    framing.extraBytes = 2;
    EXPECT_EQ(FrameMessage(2, "abc", framing).bytes, "0000000302abcxx");
    framing.truncateBytes = 4;
    EXPECT_EQ(FrameMessage(2, "abc", framing).bytes, "0000000302a");
    framing.extraBytes = 0;
    framing.truncateBytes = 13;
    EXPECT_EQ(FrameMessage(2, "abc", framing).bytes, "");
    framing.truncateBytes = 14;
    const FramedMessage tooMuch = FrameMessage(2, "abc", framing);
    EXPECT_EQ(tooMuch.bytes, "");
    EXPECT_EQ(tooMuch.error, "--truncate 14 is more than the 13 bytes of the message");
}

TEST(FramingOptionsTest, BuiltHeaderNeedsAKind) {
    EXPECT_EQ(FrameMessage(std::nullopt, "abc", {}).error, "the header needs a kind (--kind K, 0 to 99)");
}

}  // namespace
}  // namespace mirelo_send
