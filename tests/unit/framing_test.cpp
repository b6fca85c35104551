#include "reception/framing.h"
#include "reception/tcp_assembler.h"

#include <gtest/gtest.h>

#include <random>

namespace mirelo {
namespace {

TEST(Header, ConvertsLikeAtoiIntoKindAndLength) {
    EXPECT_EQ(ParseHeader("0000005702"), (MessageHeader{2, 57}));
    EXPECT_EQ(ParseHeader("   5702xyz"), (MessageHeader{2, 57}));
    EXPECT_EQ(ParseHeader("0000000099"), (MessageHeader{99, 0}));
    EXPECT_EQ(ParseHeader("abcdefghij"), (MessageHeader{0, 0}));
    EXPECT_EQ(ParseHeader("12x4567890"), (MessageHeader{12, 0}));
    EXPECT_EQ(ParseHeader("9999999999"), (MessageHeader{47, 21474836})) << "saturates like the runtime's atoi";
    EXPECT_EQ(ParseHeader("00000057021"), (MessageHeader{2, 57})) << "only ten characters are read";
    EXPECT_EQ(ParseHeader("0000512398"), (MessageHeader{98, 5123}));
}

TEST(Header, BuildsTenDigitsWithinRange) {
    EXPECT_EQ(BuildHeader(2, 57), "0000005702");
    EXPECT_EQ(BuildHeader(99, 0), "0000000099");
    EXPECT_EQ(BuildHeader(99, kMaxAnnouncedLength), "2147483599");
    EXPECT_EQ(BuildHeader(100, 1), std::nullopt);
    EXPECT_EQ(BuildHeader(1, -1), std::nullopt);
    EXPECT_EQ(BuildHeader(1, kMaxAnnouncedLength + 1), std::nullopt);
}

TEST(Datagram, IsDispatchedOnlyWhenItsLengthIsExact) {
    const std::string mail = "0000005702" + std::string(57, 'm');
    EXPECT_EQ(ClassifyDatagram(mail, false).action, DatagramAction::Dispatch);
    EXPECT_EQ(ClassifyDatagram(mail, false).header, (MessageHeader{2, 57}));
    EXPECT_EQ(ClassifyDatagram(mail + "x", false).action, DatagramAction::Drop);
    EXPECT_EQ(ClassifyDatagram(mail.substr(0, 66), false).action, DatagramAction::Drop);
    EXPECT_EQ(ClassifyDatagram("garbage!!!", false).action, DatagramAction::Dispatch) << "kind 0, length 0";
    EXPECT_EQ(ClassifyDatagram("-000000001", false).action, DatagramAction::Dispatch);
    EXPECT_EQ(ClassifyDatagram("-000000101x", false).action, DatagramAction::Drop) << "negative length";
    EXPECT_EQ(ClassifyDatagram("12", false).action, DatagramAction::Drop);
    EXPECT_EQ(ClassifyDatagram("", false).action, DatagramAction::Drop);
}

TEST(Datagram, EndMessageAndMessengerTexts) {
    EXPECT_EQ(ClassifyDatagram("0000000099", false).action, DatagramAction::EndMessage);
    EXPECT_EQ(ClassifyDatagram("0000000099 trailing", false).action, DatagramAction::EndMessage);
    EXPECT_EQ(ClassifyDatagram("@0NLN", true).action, DatagramAction::Messenger);
    EXPECT_EQ(ClassifyDatagram("@0NLN", false).action, DatagramAction::Drop) << "only from loopback";
}

TEST(TcpAssembler, ReassemblesAcrossAnyChunkBoundaries) {
    std::string payload(5000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7);
    const std::string message = "0000500002" + payload;
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        TcpMessageAssembler assembler;
        std::size_t pos = 0;
        int completions = 0;
        while (pos < message.size()) {
            const std::size_t chunk = 1 + random() % (round % 2 ? 13 : 4095);
            const auto event = assembler.Feed(std::string_view(message).substr(pos, chunk));
            pos += chunk;
            if (event == TcpMessageAssembler::Event::Complete) ++completions;
            if (pos < message.size()) EXPECT_NE(event, TcpMessageAssembler::Event::Complete);
        }
        ASSERT_EQ(completions, 1) << "round " << round;
        EXPECT_EQ(assembler.Header(), (MessageHeader{2, 5000}));
        EXPECT_EQ(assembler.Payload(), payload);
    }
}

TEST(TcpAssembler, ChunksOf4000And1010) {
    const std::string message = "0000500002" + std::string(5000, 'p');
    TcpMessageAssembler assembler;
    EXPECT_EQ(assembler.Feed(std::string_view(message).substr(0, 4000)), TcpMessageAssembler::Event::None);
    EXPECT_EQ(assembler.Feed(std::string_view(message).substr(4000)), TcpMessageAssembler::Event::Complete);
    EXPECT_EQ(assembler.Payload().size(), 5000u);
}

TEST(TcpAssembler, ExtraBytesAreNotDispatchedAgain) {
    TcpMessageAssembler assembler;
    EXPECT_EQ(assembler.Feed("0000000302abcEXTRA"), TcpMessageAssembler::Event::Complete);
    EXPECT_EQ(assembler.Payload(), "abc");
    EXPECT_EQ(assembler.Feed("more"), TcpMessageAssembler::Event::None);
    EXPECT_EQ(assembler.Payload(), "abc");
}

TEST(TcpAssembler, EndMessageEmptyPayloadAndMalformedHeaders) {
    TcpMessageAssembler end;
    EXPECT_EQ(end.Feed("00000"), TcpMessageAssembler::Event::None);
    EXPECT_EQ(end.Feed("00099"), TcpMessageAssembler::Event::EndMessage);

    TcpMessageAssembler empty;
    EXPECT_EQ(empty.Feed("0000000001"), TcpMessageAssembler::Event::Complete);
    EXPECT_TRUE(empty.Payload().empty());

    TcpMessageAssembler negative;
    EXPECT_EQ(negative.Feed("-000000501"), TcpMessageAssembler::Event::Malformed);

    TcpMessageAssembler half;
    EXPECT_EQ(half.Feed("00000"), TcpMessageAssembler::Event::None);
    EXPECT_FALSE(half.Finished());
}

}  // namespace
}  // namespace mirelo
