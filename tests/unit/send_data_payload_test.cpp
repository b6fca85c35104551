#include "forwarding/send_data_payload.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelo {
namespace {

std::string Bytes(const SendDataPayload& payload, std::size_t from, std::size_t count) {
    return std::string(payload.bytes.data() + from, count);
}

TEST(SendDataPayload, LengthByteNameAndUrlWithoutSeparator) {
    const std::string name = "NotifyClicknView";               // 16 characters
    const std::string url = "http://gw.example/view?id=1234";  // 30 characters
    const SendDataPayload payload = BuildSendDataPayload(name, url);
    EXPECT_EQ(static_cast<unsigned char>(payload.bytes[0]), 16);
    EXPECT_EQ(payload.byteCount, 47u);
    EXPECT_EQ(Bytes(payload, 1, 16), name);
    EXPECT_EQ(Bytes(payload, 17, 30), url);
    EXPECT_EQ(payload.bytes[47], '\0');
}

TEST(SendDataPayload, EmptyNameGivesZeroLengthWithTheUrlStillBehindIt) {
    const SendDataPayload payload = BuildSendDataPayload("", "http://gw/x");
    EXPECT_EQ(payload.bytes[0], '\0');
    EXPECT_EQ(payload.byteCount, 0u);
    EXPECT_EQ(Bytes(payload, 1, 11), "http://gw/x");
}

TEST(SendDataPayload, EmptyUrlSendsTheNameAlone) {
    const SendDataPayload payload = BuildSendDataPayload("Open", "");
    EXPECT_EQ(payload.bytes[0], '\4');
    EXPECT_EQ(payload.byteCount, 5u);
    EXPECT_EQ(Bytes(payload, 1, 5), std::string("Open\0", 5));
}

TEST(SendDataPayload, NameOf255BytesIsKeptAndLongerIsCut) {
    const SendDataPayload kept = BuildSendDataPayload(std::string(255, 'n'), "u");
    EXPECT_EQ(static_cast<unsigned char>(kept.bytes[0]), 255);
    EXPECT_EQ(kept.byteCount, 257u);
    // A length of 256 would wrap to 0 in its byte.
    const SendDataPayload cut = BuildSendDataPayload(std::string(256, 'n') + "tail", "u");
    EXPECT_EQ(static_cast<unsigned char>(cut.bytes[0]), 255);
    EXPECT_EQ(Bytes(cut, 1, 256), std::string(255, 'n') + "u");
    EXPECT_EQ(cut.byteCount, 257u);
}

TEST(SendDataPayload, NameAndUrlTogetherStopAt510BytesAndTheBufferKeepsItsNul) {
    const SendDataPayload exact = BuildSendDataPayload(std::string(10, 'n'), std::string(500, 'u'));
    EXPECT_EQ(exact.byteCount, 511u);
    const SendDataPayload cut = BuildSendDataPayload(std::string(10, 'n'), std::string(2000, 'u'));
    EXPECT_EQ(cut.byteCount, 511u);
    EXPECT_EQ(Bytes(cut, 11, 500), std::string(500, 'u'));
    EXPECT_EQ(cut.bytes[511], '\0');
    const SendDataPayload both = BuildSendDataPayload(std::string(300, 'n'), std::string(300, 'u'));
    EXPECT_EQ(static_cast<unsigned char>(both.bytes[0]), 255);
    EXPECT_EQ(both.byteCount, 511u);
    EXPECT_EQ(both.bytes[511], '\0');
}

TEST(SendDataPayload, BytesAfterTheTextAreZero) {
    const SendDataPayload payload = BuildSendDataPayload("f", "u");
    for (std::size_t i = 3; i < kSendDataBufferBytes; ++i) {
        ASSERT_EQ(payload.bytes[i], '\0') << "byte " << i;
    }
}

TEST(SendDataPayload, NulInsideTheUrlEndsWhatIsCounted) {
    const SendDataPayload payload = BuildSendDataPayload("f", std::string("ab\0cd", 5));
    EXPECT_EQ(payload.byteCount, 4u);
}

}  // namespace
}  // namespace mirelo
