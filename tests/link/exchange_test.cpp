// SendCommand end to end through OpenComm with scripted bytes and a fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "link/exchange.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "scripted_device.h"

using namespace linktest;

namespace {

const std::string kEarlierText = "\x03" "earlier\r";

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenComm(1, "19200,e,8,1"));
        RxText = kEarlierText;
    }
    std::vector<uint8_t> written() const { return link.script->written; }
    ScriptedLink link;
};

std::string frameText(const std::vector<uint8_t>& frame) { return {frame.begin(), frame.end()}; }

// A reply payload whose CRC contains letters, so that case matters.
std::string payloadWithLetterCrc() {
    for (char c = 'A'; c <= 'Z'; ++c) {
        std::string payload = std::string("1234") + c;
        const auto frame = buildReplyFrame(payload);
        const std::string digits(frame.end() - 5, frame.end() - 1);
        if (std::any_of(digits.begin(), digits.end(), [](char d) { return d >= 'A' && d <= 'F'; })) return payload;
    }
    return {};
}

}  // namespace

TEST(RequestFrame, BytesOnTheLine) {
    struct Case {
        const char* payload;
        const char* hex;
    };
    const Case cases[] = {
        {"00AC", "01 30 30 41 43 02 33 30 41 45 0D"},
        {"01AB", "01 30 31 41 42 02 35 43 41 45 0D"},
        {"01JF3", "01 30 31 4A 46 33 02 30 38 30 41 0D"},
        {"01AEA", "01 30 31 41 45 41 02 38 43 44 43 0D"},
        {"01PJ", "01 30 31 50 4A 02 39 39 46 39 0D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload);
        ScriptedLink link;
        ASSERT_TRUE(OpenComm(1, "19200,e,8,1"));
        SendCommand(c.payload, false);
        EXPECT_EQ(link.script->written, hexBytes(c.hex));
        EXPECT_EQ(buildRequestFrame(c.payload), hexBytes(c.hex));
    }
}

TEST(RequestFrame, CrcCheckValue) {
    const std::string digits = "123456789";
    EXPECT_EQ(crc16Arc(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()), 0xBB3D);
}

TEST_F(ExchangeTest, RequestIsWrittenPieceByPieceWithItsPauses) {
    SendCommand("00AC", false);
    // SOH, the payload as one block, STX, four CRC digits, CR.
    EXPECT_EQ(link.script->writeSizes, (std::vector<std::size_t>{1, 4, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(link.clock.sleeps, (std::vector<int>{3, 10, 3, 3, 3, 3, 3, 3}));
}

TEST_F(ExchangeTest, WithoutAwaitingTrueAfterBusyWaitAndNothingRead) {
    link.script->queue(buildReplyFrame("1234"));
    const uint32_t before = link.clock.now;
    EXPECT_TRUE(SendCommand("00AC", false));
    EXPECT_EQ(RxPos, 0);
    EXPECT_EQ(link.script->reads.size(), 11u);           // the reply was never read
    EXPECT_GE(link.clock.now - before, 31u + 10u);        // pauses plus the 10 ms busy-wait
    EXPECT_EQ(RxText, kEarlierText);
}

TEST_F(ExchangeTest, RepliesEndingAtTheirCr) {
    const std::string good = "\x03" "1234\x04" "4394\r";
    const std::string letters = frameText(buildReplyFrame(payloadWithLetterCrc()));
    std::string lowerCase = letters;
    std::transform(lowerCase.end() - 5, lowerCase.end(), lowerCase.end() - 5,
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    std::string badDigit = good;
    badDigit[9] = '5';
    std::string eotKept = "\x03" "ABCDEFG\x04" "\x03" "12\r";  // EOT of the dropped frame still counts

    struct Case {
        const char* name;
        std::string bytes;
        bool result;
        int rxPos;               // -1: not checked
        std::string rxText;      // what RxText holds afterwards
    };
    const Case cases[] = {
        {"accepted", good, true, 11, good},
        {"one CRC digit changed", badDigit, false, 11, badDigit},
        {"CRC digits in lower case", lowerCase, false, static_cast<int>(lowerCase.size()), lowerCase},
        {"three payload bytes", frameText(buildReplyFrame("123")), false, 10, kEarlierText},
        {"four payload bytes, the least", frameText(buildReplyFrame("ABCD")), true, 11,
         frameText(buildReplyFrame("ABCD"))},
        {"noise before ETX", "\x05zz\x04q" + good, true, 11, good},
        {"second ETX restarts the frame", "\x03" "99\x03" "1234\x04" "4394\r", true, 11, good},
        {"EOT mark kept across a restart", eotKept, false, 4, "\x03" "12\r"},
        {"CR before any ETX", "ab\r" + good, false, -1, kEarlierText},
        {"CR before any EOT", "\x03" "123456\r" + good, false, -1, kEarlierText},
    };
    ASSERT_FALSE(payloadWithLetterCrc().empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RxText = kEarlierText;
        link.script->reads.clear();
        link.script->queue(c.bytes);
        EXPECT_EQ(SendCommand("01AB"), c.result);
        if (c.rxPos >= 0) {
            EXPECT_EQ(RxPos, c.rxPos);
        }
        EXPECT_EQ(RxText, c.rxText);
    }
}

TEST_F(ExchangeTest, CrEndsTheExchangeAtOnce) {
    const std::string good = frameText(buildReplyFrame("1234"));
    link.script->queue("ab\r" + good);
    EXPECT_FALSE(SendCommand("01AB"));
    EXPECT_EQ(link.script->reads.size(), good.size());   // the frame behind the CR is left unread
    EXPECT_EQ(link.script->emptyReads, 0);
}

TEST_F(ExchangeTest, RepliesOfAnyLengthUpToTheBuffer) {
    // EOT at position 256, 259 and 512: a mark kept in 8 bits would wrap to
    // 0, 3 and 0 there and reject these frames.
    for (int payloadLength : {254, 257, 510, 1016}) {
        SCOPED_TRACE(payloadLength);
        std::string payload;
        for (int i = 0; i < payloadLength; ++i) payload += static_cast<char>('A' + i % 26);
        const std::string frame = frameText(buildReplyFrame(payload));
        link.script->reads.clear();
        link.script->queue(frame);
        EXPECT_TRUE(SendCommand("01DB"));
        EXPECT_EQ(RxPos, payloadLength + 7);
        EXPECT_EQ(RxText, frame);
    }
}

TEST_F(ExchangeTest, OverflowWithoutCr) {
    // ETX, then bytes until 1024 are stored; the 1024th byte ends it even when it is a CR.
    for (char last : {'x', '\r'}) {
        SCOPED_TRACE(static_cast<int>(last));
        std::string stream = "\x03" + std::string(1022, '5') + last + "\x04" "0000\r";
        link.script->reads.clear();
        link.script->queue(stream);
        RxText = kEarlierText;
        EXPECT_FALSE(SendCommand("01AB"));
        EXPECT_EQ(RxPos, 0);
        EXPECT_EQ(RxText, kEarlierText);
        EXPECT_EQ(link.script->reads.size(), 6u);
    }
}

TEST_F(ExchangeTest, SilenceTimesOutPumpingMessagesOncePerEmptyRead) {
    int pumped = 0;
    setProcessMessages([&] { ++pumped; });
    const uint32_t before = link.clock.now;
    EXPECT_FALSE(SendCommand("01AB"));
    EXPECT_GT(pumped, 0);
    EXPECT_EQ(pumped, link.script->emptyReads);
    EXPECT_GT(link.clock.now - before, 31u + 200u);
    EXPECT_EQ(RxText, kEarlierText);
}

TEST_F(ExchangeTest, ReplyAfterSilenceCountsUntilTheLimitHasPassed) {
    // The fake counter moves one step per reading, so n empty reads after the
    // start reading mean n ms gone; the limit is checked after each of them.
    struct Case {
        int silentReads;
        bool answered;
    };
    for (const Case c : {Case{0, true}, Case{150, true}, Case{200, true}, Case{201, false}}) {
        SCOPED_TRACE(c.silentReads);
        link.script->reads.clear();
        link.script->queueEmpty(c.silentReads);
        link.script->queue(buildReplyFrame("1234"));
        EXPECT_EQ(SendCommand("01AB"), c.answered);
    }
}

TEST_F(ExchangeTest, ReplyStillStreamingIsNotCutOff) {
    // Each byte takes 50 ms to arrive, far beyond the limit in all; only an
    // empty read may end the wait.
    link.script->queue(buildReplyFrame("1234"));
    link.script->onRead = [&] { link.clock.now += 50; };
    EXPECT_TRUE(SendCommand("01AB"));
    EXPECT_EQ(RxPos, 11);
}

TEST_F(ExchangeTest, PayloadLengthLimit) {
    const std::string longest(255, 'A');
    EXPECT_TRUE(SendCommand(longest, false));
    EXPECT_EQ(written(), buildRequestFrame(longest));

    link.script->written.clear();
    link.script->queue(buildReplyFrame("1234"));
    RxText = kEarlierText;
    EXPECT_FALSE(SendCommand(std::string(256, 'A'), true));
    EXPECT_FALSE(SendCommand(std::string(300, 'A'), false));
    EXPECT_TRUE(written().empty());
    EXPECT_EQ(RxPos, 0);
    EXPECT_EQ(RxText, kEarlierText);
}

TEST_F(ExchangeTest, EachExchangeStartsFromAClearBuffer) {
    link.script->queue(buildReplyFrame("ABCDEFGHIJ"));
    ASSERT_TRUE(SendCommand("01DB"));
    link.script->queue(buildReplyFrame("1234"));
    ASSERT_TRUE(SendCommand("01AB"));
    EXPECT_EQ(RxPos, 11);
    EXPECT_EQ(RxBuf[11], 0);
    EXPECT_TRUE(std::all_of(RxBuf + 11, RxBuf + RxBufSize, [](uint8_t b) { return b == 0; }));
}

TEST(ExchangeWithoutPort, TimesOutWithoutTouchingAnything) {
    ScriptedLink link;
    CloseComm();
    int pumped = 0;
    setProcessMessages([&] { ++pumped; });
    RxText = kEarlierText;
    EXPECT_FALSE(SendCommand("01AB"));
    EXPECT_GT(pumped, 0);
    EXPECT_EQ(RxText, kEarlierText);
}
