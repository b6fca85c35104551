#include "wire.h"

#include <gtest/gtest.h>

#include <string>

using namespace vocelink;

namespace {

std::string Field(const std::uint8_t* bytes, int offset, int width) {
    return std::string(FieldText(bytes + offset, width));
}

// True when every byte outside the listed [offset, offset + width) ranges is zero.
bool ZeroOutside(const std::uint8_t* bytes, int size, std::initializer_list<std::pair<int, int>> used) {
    for (int i = 0; i < size; ++i) {
        bool inside = false;
        for (auto [offset, width] : used) {
            inside = inside || (i >= offset && i < offset + width);
        }
        if (!inside && bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(WireHeader, FileRequestFieldsSitAtTheirOffsets) {
    RequestFields fields;
    fields.type = kTypeFile;
    fields.location = "C:\\speech";
    fields.fileName = "hello.wav";
    fields.textLength = 1234;
    fields.voice = 400;
    fields.format = 20;
    Header h = BuildRequestHeader(fields);
    ASSERT_EQ(h.size(), 366u);
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(Field(h.data(), 1, 128), "C:\\speech");
    EXPECT_EQ(Field(h.data(), 129, 128), "hello.wav");
    EXPECT_EQ(Field(h.data(), 289, 32), "1234");
    EXPECT_EQ(Field(h.data(), 321, 4), "400");
    EXPECT_EQ(h[325], 20);
    EXPECT_EQ(h[333], 0);
    EXPECT_TRUE(ZeroOutside(h.data(), kHeaderSize, {{1, 9}, {129, 9}, {289, 4}, {321, 3}, {325, 1}}));
}

TEST(WireHeader, BufferRequestCarriesTypeAndSingleReplyFlag) {
    RequestFields fields;
    fields.type = kTypeBuffer;
    fields.textLength = 0;
    fields.voice = 10;
    fields.format = 1;
    fields.singleReply = true;
    Header h = BuildRequestHeader(fields);
    EXPECT_EQ(h[0], 1);
    EXPECT_EQ(Field(h.data(), 289, 32), "0");
    EXPECT_EQ(Field(h.data(), 321, 4), "10");
    EXPECT_EQ(h[325], 1);
    EXPECT_EQ(h[333], 1);
    EXPECT_TRUE(ZeroOutside(h.data(), kHeaderSize, {{0, 1}, {289, 1}, {321, 2}, {325, 1}, {333, 1}}));
}

TEST(WireHeader, ExtendedRequestSendsOptionBytesAndHalvedSignedLevels) {
    RequestFields fields;
    fields.extension = Extension{0x1FF, 100, -101, 255, 258};
    Header h = BuildRequestHeader(fields);
    EXPECT_EQ(h[326], 0xFF);  // low 8 bits of option 1
    EXPECT_EQ(h[327], 0);
    EXPECT_EQ(h[328], 2);                              // low 8 bits of option 2
    EXPECT_EQ(static_cast<std::int8_t>(h[329]), 50);   // 100 / 2
    EXPECT_EQ(static_cast<std::int8_t>(h[330]), -50);  // -101 / 2 rounds toward zero
    EXPECT_EQ(static_cast<std::int8_t>(h[331]), 0);    // 255 is -1 as a signed byte; -1 / 2 is 0
    EXPECT_EQ(h[332], 0);
}

TEST(WireHeader, HalveLevelReadsTheLowByteAsSigned) {
    EXPECT_EQ(HalveLevel(0), 0);
    EXPECT_EQ(HalveLevel(127), 63);
    EXPECT_EQ(static_cast<std::int8_t>(HalveLevel(-128)), -64);
    EXPECT_EQ(static_cast<std::int8_t>(HalveLevel(-3)), -1);
    EXPECT_EQ(static_cast<std::int8_t>(HalveLevel(200)), -28);  // 200 is -56 as a signed byte
    EXPECT_EQ(HalveLevel(256 + 10), 5);
}

TEST(WireHeader, NamesAreCutToTheirFieldsWithRoomForTheNul) {
    std::string longName(300, 'x');
    RequestFields fields;
    fields.location = longName.c_str();
    fields.fileName = longName.c_str();
    Header h = BuildRequestHeader(fields);
    EXPECT_EQ(Field(h.data(), 1, 128).size(), 127u);
    EXPECT_EQ(h[128], 0);
    EXPECT_EQ(Field(h.data(), 129, 128).size(), 127u);
    EXPECT_EQ(h[256], 0);
}

TEST(WireHeader, NumbersAreWrittenWithPercentD) {
    RequestFields fields;
    fields.textLength = 2147483647;
    fields.voice = 7;
    Header h = BuildRequestHeader(fields);
    EXPECT_EQ(Field(h.data(), 289, 32), "2147483647");
    EXPECT_EQ(Field(h.data(), 321, 4), "7");
}

TEST(WireHeader, CloseHeaderIsZeroButMinusOneTextLength) {
    Header h = BuildCloseHeader();
    EXPECT_EQ(Field(h.data(), 289, 32), "-1");
    EXPECT_TRUE(ZeroOutside(h.data(), kHeaderSize, {{289, 2}}));
}

TEST(WireHeader, EffectHeaderHasItsOwnLayout) {
    EffectFields fields;
    fields.location = "loc";
    fields.fileName = "out.wav";
    fields.effectName = "echo";
    fields.textLength = 42;
    fields.voice = 12;
    fields.format = 3;
    fields.effectNumber = -7;
    EffectHeader h = BuildEffectHeader(fields);
    ASSERT_EQ(h.size(), 365u);
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(Field(h.data(), 1, 128), "loc");
    EXPECT_EQ(Field(h.data(), 129, 128), "out.wav");
    EXPECT_EQ(Field(h.data(), 257, 32), "42");
    EXPECT_EQ(Field(h.data(), 289, 4), "12");
    EXPECT_EQ(Field(h.data(), 293, 9), "3");
    EXPECT_EQ(Field(h.data(), 302, 32), "echo");
    EXPECT_EQ(Field(h.data(), 334, 31), "-7");
    EXPECT_TRUE(
        ZeroOutside(h.data(), kEffectHeaderSize, {{1, 3}, {129, 7}, {257, 2}, {289, 2}, {293, 1}, {302, 4}, {334, 2}}));
}

TEST(WireHeader, EffectNameKeepsAtMost31Characters) {
    std::string name(40, 'e');
    EffectFields fields;
    fields.effectName = name.c_str();
    EffectHeader h = BuildEffectHeader(fields);
    EXPECT_EQ(Field(h.data(), 302, 32).size(), 31u);
    EXPECT_EQ(h[333], 0);
}

TEST(WireReply, ParsesStatusLengthAndLastPiece) {
    ReplyBytes bytes = BuildReply(1, 65536, true);
    ASSERT_EQ(bytes.size(), 46u);
    EXPECT_EQ(Field(bytes.data(), 1, 32), "65536");
    std::optional<Reply> reply = ParseReply(bytes.data());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 1);
    EXPECT_EQ(reply->dataLength, 65536);
    EXPECT_TRUE(reply->lastPiece);
}

TEST(WireReply, StatusIsASignedByte) {
    ReplyBytes bytes = BuildReply(-20, 0, false);
    EXPECT_EQ(bytes[0], 0xEC);
    std::optional<Reply> reply = ParseReply(bytes.data());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, -20);
    EXPECT_EQ(reply->dataLength, 0);
    EXPECT_FALSE(reply->lastPiece);
}

TEST(WireReply, EmptyOrZeroLengthMeansNoData) {
    ReplyBytes bytes{};
    bytes[33] = 1;
    EXPECT_EQ(ParseReply(bytes.data())->dataLength, 0);
    bytes[1] = '0';
    EXPECT_EQ(ParseReply(bytes.data())->dataLength, 0);
    EXPECT_TRUE(ParseReply(bytes.data())->lastPiece);
}

TEST(WireReply, MalformedLengthFieldsAreRejected) {
    for (std::string text : {"12ab", "abc", "-5", " 12", "99999999999", "2147483648"}) {
        ReplyBytes bytes{};
        std::copy(text.begin(), text.end(), bytes.begin() + 1);
        EXPECT_FALSE(ParseReply(bytes.data())) << text;
    }
    ReplyBytes trailing{};
    trailing[1] = '5';
    trailing[20] = 'x';  // something after the NUL that ends the digits
    EXPECT_FALSE(ParseReply(trailing.data()));
}

TEST(WireReply, LargestIntLengthIsAccepted) {
    ReplyBytes bytes{};
    std::string text = "2147483647";
    std::copy(text.begin(), text.end(), bytes.begin() + 1);
    ASSERT_TRUE(ParseReply(bytes.data()));
    EXPECT_EQ(ParseReply(bytes.data())->dataLength, 2147483647);
}

TEST(WireStatusLine, NumberAfterOkAtOffsetSixReadLikeAtoi) {
    const struct {
        const char* line;
        int expected;
    } cases[] = {
        {"+OK   12", 12},
        {"+OK   12\r\n", 12},
        {"+ok   7 channels\n", 7},
        {"+Ok   -3\n", -3},
        {"+OK    12\n", 12},  // blanks at offset 6 are skipped
        {"+OK   \t 5\n", 5},
        {"+OK   +8\n", 8},
        {"+OK   + 8\n", 0},
        {"+OK   99999999999\n", 2147483647},
        {"+OK   -99999999999\n", -2147483647 - 1},
        {"-ERR busy\n", 0},
        {"OK   12\n", 0},
        {" +OK   12\n", 0},
        {"+OK\n", 0},
        {"+OK 12\n", 0},  // offset 6 is past the digits
        {"+OK   x\n", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseStatusLine(c.line), c.expected) << c.line;
}

TEST(WireDecimal, WholeFieldMustBeDigits) {
    EXPECT_EQ(ParseDecimal("-1", true), -1);
    EXPECT_FALSE(ParseDecimal("-1", false));
    EXPECT_FALSE(ParseDecimal("", true));
    EXPECT_FALSE(ParseDecimal("-", true));
    EXPECT_EQ(ParseDecimal("-2147483648", true), -2147483648LL);
    EXPECT_FALSE(ParseDecimal("-2147483649", true));
}
