#include "reception/framing.h"
#include "reception/tcp_assembler.h"

#include <gtest/gtest.h>

#include <random>

namespace mirelo {
namespace {

TEST(Header, ConvertsLikeAtoiIntoKindAndLength) {
    const struct {
        const char* header;
        MessageHeader expected;
    } cases[] = {
        {"0000005702", {2, 57}},
        {"   5702xyz", {2, 57}},
        {" +00005702", {2, 57}},
        {"0000000099", {99, 0}},
        {"abcdefghij", {0, 0}},
        {"12x4567890", {12, 0}},
        {"00000057021", {2, 57}},  // only ten characters are read
        {"0000512398", {98, 5123}},
        // Ten digits exceed an int: they are read exactly, never saturated.
        {"9999999999", {99, 99999999}},
        {"9999999902", {2, 99999999}},
        {"2147483699", {99, 21474836}},
        {"2147483702", {2, 21474837}},
        {"-999999999", {-99, -9999999}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHeader(c.header), c.expected) << c.header;
}

TEST(Header, BuildsTenDigitsWithinRange) {
    EXPECT_EQ(BuildHeader(2, 57), "0000005702");
    EXPECT_EQ(BuildHeader(99, 0), "0000000099");
    EXPECT_EQ(BuildHeader(2, kMaxAnnouncedLength), "9999999902");
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
            if (pos < message.size()) {
                EXPECT_NE(event, TcpMessageAssembler::Event::Complete);
            }
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

TEST(TcpAssembler, ExtraBytesAreIgnoredAndTheTakenPayloadIsFreed) {
    TcpMessageAssembler assembler;
    EXPECT_EQ(assembler.Feed("0000000302abcEXTRA"), TcpMessageAssembler::Event::Complete);
    EXPECT_EQ(assembler.Payload(), "abc");
    EXPECT_EQ(assembler.Feed("more"), TcpMessageAssembler::Event::Ignored);
    EXPECT_EQ(assembler.TakePayload(), "abc");
    EXPECT_EQ(assembler.Held(), 0u);
    EXPECT_EQ(assembler.Feed("more"), TcpMessageAssembler::Event::Ignored);
    EXPECT_EQ(assembler.Held(), 0u);
}

TEST(TcpAssembler, RefusesMoreThanOneMessageMayHold) {
    const struct {
        const char* header;
        TcpMessageAssembler::Event expected;
    } cases[] = {
        {"0000010002", TcpMessageAssembler::Event::None},  // exactly the limit
        {"0000010102", TcpMessageAssembler::Event::TooLarge}, {"9999999902", TcpMessageAssembler::Event::TooLarge},
        {"2147483647", TcpMessageAssembler::Event::TooLarge}, {"9999999999", TcpMessageAssembler::Event::EndMessage},
    };
    for (const auto& c : cases) {
        TcpMessageAssembler assembler(100);
        EXPECT_EQ(assembler.Feed(c.header), c.expected) << c.header;
        EXPECT_EQ(assembler.Feed("x"), c.expected == TcpMessageAssembler::Event::None
                                           ? TcpMessageAssembler::Event::None
                                           : TcpMessageAssembler::Event::Ignored)
            << c.header;
    }
}

TEST(TcpAssembler, HoldsNoMoreThanTheAnnouncedLength) {
    TcpMessageAssembler assembler;
    assembler.Feed("0000100002");
    for (int i = 0; i < 1000; ++i) {
        assembler.Feed("p");
        ASSERT_LE(assembler.Payload().capacity(), 1000u) << i;
    }
    EXPECT_EQ(assembler.Held(), 1000u);
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

// Small limits: two messages of 100 bytes at most, 250 bytes together, three connections, 1 s idle.
constexpr TcpLimits kSmall{100, 250, 3, 1000};
using Event = TcpReception::Event;

TEST(TcpReception, AFullTableMakesRoomByAFinishedOrLongOpenConnection) {
    TcpReception reception(kSmall);
    EXPECT_EQ(reception.Accept(1, 0), std::nullopt);
    EXPECT_EQ(reception.Accept(2, 10), std::nullopt);
    EXPECT_EQ(reception.Accept(3, 20), std::nullopt);
    EXPECT_EQ(reception.Receive(1, "0000", 30).event, Event::None);
    EXPECT_FALSE(reception.CanAccept(40)) << "all full, none finished, none open for a second";
    const auto forced = reception.Accept(4, 40);
    ASSERT_TRUE(forced.has_value());
    EXPECT_EQ(forced->id, 2u) << "forced anyway, 2 has gone longest without progress";
    EXPECT_EQ(reception.Receive(4, "0000000312abc", 50).event, Event::Complete);
    EXPECT_TRUE(reception.CanAccept(60));
    const auto finished = reception.Accept(5, 60);
    ASSERT_TRUE(finished.has_value());
    EXPECT_EQ(finished->id, 4u) << "a finished connection goes first, however fresh";
    EXPECT_TRUE(finished->finished);
    // 1 and 3 have been open a second and just made progress; 5 came in later and has not been read.
    reception.Receive(1, "0", 1010);
    reception.Receive(3, "0", 1010);
    EXPECT_TRUE(reception.CanAccept(1030));
    const auto longOpen = reception.Accept(6, 1030);
    ASSERT_TRUE(longOpen.has_value());
    EXPECT_EQ(longOpen->id, 1u) << "not 5, however long it waits to be read";
    EXPECT_FALSE(longOpen->finished);
    EXPECT_EQ(reception.Count(), 3u);
    EXPECT_EQ(reception.Message(2), nullptr);
}

TEST(TcpReception, AllConnectionsTogetherStayWithinTheirBytes) {
    const struct {
        std::size_t third;  // payload bytes the third connection sends
        Event event;
        std::vector<TcpReception::Id> evicted;
        std::size_t held;
    } cases[] = {
        {70, Event::None, {}, 250},
        {80, Event::None, {1}, 170},     // 260 > 250: the largest holder, the first of two with 90, goes
        {95, Event::TooLarge, {}, 180},  // this one holds the most: it goes itself
    };
    for (const auto& c : cases) {
        TcpReception reception(kSmall);
        for (TcpReception::Id id = 1; id <= 3; ++id) reception.Accept(id, 0);
        reception.Receive(1, "0000010002" + std::string(90, 'a'), 1);
        reception.Receive(2, "0000010002" + std::string(90, 'b'), 2);
        const TcpReception::Received received = reception.Receive(3, "0000010002" + std::string(c.third, 'c'), 3);
        EXPECT_EQ(received.event, c.event) << c.third;
        EXPECT_EQ(received.evicted, c.evicted) << c.third;
        EXPECT_EQ(reception.HeldBytes(), c.held) << c.third;
    }
}

TEST(TcpReception, OnlyProgressTowardsAMessageKeepsAConnectionAlive) {
    TcpReception reception(kSmall);
    reception.Accept(1, 0);
    reception.Accept(2, 0);
    reception.Accept(3, 0);
    EXPECT_EQ(reception.Receive(1, "0000000302abc", 500).event, Event::Complete);
    EXPECT_EQ(reception.TakePayload(1), "abc");
    EXPECT_EQ(reception.Receive(2, "00000", 500).event, Event::None);
    for (unsigned now = 600; now <= 1400; now += 200) {
        EXPECT_EQ(reception.Receive(1, "after the message", now).event, Event::Ignored);
        EXPECT_EQ(reception.Receive(3, "", now).event, Event::Ignored);
    }
    EXPECT_EQ(reception.Idle(999), std::vector<TcpReception::Id>{});
    EXPECT_EQ(reception.Idle(1000), std::vector<TcpReception::Id>{3});
    EXPECT_EQ(reception.Idle(1500), (std::vector<TcpReception::Id>{1, 2, 3}));
}

TEST(TcpReception, TakingAPayloadOrRemovingAConnectionFreesItsBytes) {
    TcpReception reception(kSmall);
    reception.Accept(7, 0);
    reception.Accept(8, 0);
    reception.Receive(7, "0000000402abcd", 1);
    reception.Receive(8, "0000005002" + std::string(30, 'x'), 1);
    EXPECT_EQ(reception.HeldBytes(), 34u);
    EXPECT_EQ(reception.TakePayload(7), "abcd");
    EXPECT_EQ(reception.HeldBytes(), 30u);
    reception.Remove(8);
    reception.Remove(8);
    EXPECT_EQ(reception.HeldBytes(), 0u);
    EXPECT_EQ(reception.Receive(8, "x", 2).event, Event::Ignored) << "an unknown id changes nothing";
}

TEST(TcpReception, IdleTimesSurviveTheTickCounterWrap) {
    TcpReception reception(kSmall);
    reception.Accept(1, 0xFFFFFF00u);
    EXPECT_EQ(reception.Idle(0x100u), std::vector<TcpReception::Id>{}) << "512 ms elapsed";
    EXPECT_EQ(reception.Idle(0x300u), std::vector<TcpReception::Id>{1});
}

}  // namespace
}  // namespace mirelo
