#include "popups/payload_codec.h"

#include <gtest/gtest.h>

namespace mirelo {
namespace {

std::string Mail(const std::string& link) {
    return *EncodePayload({"02", "1", "Kim", "Hello", "", "2026-12-07", link, "", "1"}, kMailLayout);
}

TEST(PayloadCodec, RoundTripsAMail) {
    const std::string link = *BuildLinkField(12, "OpenMail", "http://gw/mail?id=7");
    const PayloadFields fields = DecodePayload(Mail(link), kMailLayout);
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields[0], "02");
    EXPECT_EQ(fields[2], "Kim");
    EXPECT_EQ(fields[4], std::nullopt) << "length 0 is an absent field";
    EXPECT_EQ(fields[8], "1");
    const LinkField parsed = ParseLinkField(*fields[6]);
    EXPECT_EQ(parsed.typeNumber, 12);
    EXPECT_EQ(parsed.functionName, "OpenMail");
    EXPECT_EQ(parsed.openUrl, "http://gw/mail?id=7");
}

TEST(PayloadCodec, TheLinkFieldHasATwoByteLength) {
    const std::string payload = *EncodePayload({"a", "b", "c", "d", "e", "f", std::string(300, 'L')}, kMailLayout);
    EXPECT_EQ(static_cast<unsigned char>(payload[12]), 1u);
    EXPECT_EQ(static_cast<unsigned char>(payload[13]), 44u);
    EXPECT_EQ(DecodePayload(payload, kMailLayout)[6]->size(), 300u);
    EXPECT_EQ(EncodePayload({std::string(256, 'x')}, kMailLayout), std::nullopt);
    EXPECT_NE(EncodePayload({"", "", "", "", "", "", std::string(65535, 'x')}, kMailLayout), std::nullopt);
    EXPECT_EQ(EncodePayload({"", "", "", "", "", "", std::string(65536, 'x')}, kMailLayout), std::nullopt);
}

TEST(PayloadCodec, ShortAndTruncatedPayloadsLeaveTheRestEmpty) {
    const std::string full = Mail(*BuildLinkField(1, "f", "u"));
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const PayloadFields fields = DecodePayload(full.substr(0, cut), kMailLayout);
        ASSERT_EQ(fields.size(), 9u);
    }
    const PayloadFields partial = DecodePayload(std::string("\x02"
                                                            "02\x05"
                                                            "1",
                                                            5),
                                                kMailLayout);
    EXPECT_EQ(partial[0], "02");
    EXPECT_EQ(partial[1], "1") << "a length past the end takes what is there";
    EXPECT_EQ(partial[2], std::nullopt);
}

TEST(PayloadCodec, ANulEndsAFieldsText) {
    const std::string payload(
        "\x05"
        "ab\0cd"
        "\x01"
        "x",
        8);
    const PayloadFields fields = DecodePayload(payload, kBbsLayout);
    EXPECT_EQ(fields[0], "ab");
    EXPECT_EQ(fields[1], "x");
}

TEST(PayloadCodec, ANulInTheLinkFieldCutsOnlyTheTextItStandsIn) {
    const struct {
        std::string name, url;
        const char* expectedName;
        const char* expectedUrl;
    } cases[] = {
        {std::string("Open\0Mail", 9), "http://gw/m?id=7", "Open", "http://gw/m?id=7"},
        {std::string("\0Mail", 5), "http://gw/m?id=7", "", "http://gw/m?id=7"},
        {"OpenMail", std::string("http://gw/m\0?id=7", 17), "OpenMail", "http://gw/m"},
        {"OpenMail", "http://gw/m?id=7", "OpenMail", "http://gw/m?id=7"},
    };
    for (const auto& c : cases) {
        const std::string link = *BuildLinkField(12, c.name, c.url);
        const PayloadFields fields = DecodePayload(Mail(link), kMailLayout);
        ASSERT_TRUE(fields[6].has_value());
        const LinkField parsed = ParseLinkField(*fields[6]);
        EXPECT_EQ(parsed.typeNumber, 12);
        EXPECT_EQ(parsed.functionName, c.expectedName) << c.expectedName;
        EXPECT_EQ(parsed.openUrl, c.expectedUrl) << c.expectedName;
    }
}

TEST(PayloadCodec, LinkFieldsWithoutRoomForNameAndUrlAreEmpty) {
    EXPECT_EQ(ParseLinkField("012").typeNumber, 12);
    const LinkField noName = ParseLinkField(std::string("007\0http://x", 12));
    EXPECT_EQ(noName.typeNumber, 7);
    EXPECT_EQ(noName.functionName, "");
    EXPECT_EQ(noName.openUrl, "");
    const LinkField noUrl = ParseLinkField(
        "001\x03"
        "abc");
    EXPECT_EQ(noUrl.functionName, "");
    EXPECT_EQ(noUrl.openUrl, "");
    const LinkField tooLong = ParseLinkField(
        "001\xff"
        "abc");
    EXPECT_EQ(tooLong.functionName, "");
    EXPECT_EQ(ParseLinkField("abc\x01"
                             "fu")
                  .typeNumber,
              0);
    EXPECT_EQ(ParseLinkField("abc\x01"
                             "fu")
                  .openUrl,
              "u");
}

TEST(PayloadCodec, TheMessageLayoutStopsAtATrailingZeroLength) {
    const PayloadLayout message{8, 6, 5, true};
    const PayloadFields fields = DecodePayload(std::string("\x01"
                                                           "a"
                                                           "\x00",
                                                           3),
                                               message);
    EXPECT_EQ(fields[0], "a");
    EXPECT_EQ(fields[1], std::nullopt);
}

TEST(PayloadCodec, FlagsKeepBlankAndAbsentRules) {
    EXPECT_EQ(DecodeFlag(std::nullopt, 5), 5);
    EXPECT_EQ(DecodeFlag(std::string("   "), 0), 1);
    EXPECT_EQ(DecodeFlag(std::string("3"), 0), 3);
    EXPECT_EQ(DecodeFlag(std::string("x"), 7), 0);
}

TEST(PayloadCodec, RandomBytesNeverBreakTheDecoder) {
    std::string bytes;
    for (int i = 0; i < 4000; ++i) bytes += static_cast<char>((i * 7919) % 256);
    for (std::size_t start = 0; start < 200; ++start) {
        for (const PayloadLayout& layout : {kBbsLayout, kMailLayout, kScheduleLayout, kApprovalLayout}) {
            const PayloadFields fields = DecodePayload(std::string_view(bytes).substr(start), layout);
            EXPECT_EQ(fields.size(), static_cast<std::size_t>(layout.fieldCount));
        }
    }
}

}  // namespace
}  // namespace mirelo
