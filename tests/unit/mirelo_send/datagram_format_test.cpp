#include "datagram_format.h"

#include <gtest/gtest.h>

namespace mirelo_send {
namespace {

using namespace std::string_literals;

const ReceivedDatagram kSample{3, "127.0.0.1:40001", 1718000000.1234, "0000000302a\0\xff"s};

TEST(DatagramFormatTest, ParsesFormatNames) {
    EXPECT_EQ(ParseDatagramFormat("text"), DatagramFormat::Text);
    EXPECT_EQ(ParseDatagramFormat("hex"), DatagramFormat::Hex);
    EXPECT_EQ(ParseDatagramFormat("json"), DatagramFormat::Json);
    EXPECT_EQ(ParseDatagramFormat("JSON"), std::nullopt);
}

TEST(DatagramFormatTest, JsonIsOneLinePerDatagram) {
    EXPECT_EQ(FormatDatagram(kSample, DatagramFormat::Json),
              R"({"index":3,"from":"127.0.0.1:40001","time":1718000000.123,"length":13,)"
              R"("hex":"303030303030303330326100ff","base64":"MDAwMDAwMDMwMmEA/w==",)"
              R"("text":"0000000302a\u0000\u00ff"})"
              "\n");
}

TEST(DatagramFormatTest, HexIsOneLine) {
    EXPECT_EQ(FormatDatagram(kSample, DatagramFormat::Hex), "303030303030303330326100ff\n");
}

TEST(DatagramFormatTest, TextIsAHeadingAndAHexDump) {
    const ReceivedDatagram datagram{1, "127.0.0.1:5", 0, "0123456789abcdefXY\n"};
    EXPECT_EQ(FormatDatagram(datagram, DatagramFormat::Text),
              "#1 from 127.0.0.1:5, 19 bytes\n"
              "  0000  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  0123456789abcdef\n"
              "  0010  58 59 0a                                         XY.\n");
    EXPECT_EQ(FormatDatagram({2, "127.0.0.1:5", 0, ""}, DatagramFormat::Text), "#2 from 127.0.0.1:5, 0 bytes\n");
    EXPECT_EQ(FormatDatagram({2, "127.0.0.1:5", 0, "x"}, DatagramFormat::Text).substr(0, 29),
              "#2 from 127.0.0.1:5, 1 byte\n ");
}

}  // namespace
}  // namespace mirelo_send
