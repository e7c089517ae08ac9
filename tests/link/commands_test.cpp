// Command payloads as sent and the reply fields read by position.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "scripted_device.h"

namespace {

std::tm makeTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// A reply frame as RxText holds it, for a reply payload.
std::string replyText(const std::string& payload) {
    const auto frame = buildReplyFrame(payload);
    return {frame.begin(), frame.end()};
}

}  // namespace

TEST(Commands, Payloads) {
    const std::string id = "01";
    struct Case {
        std::string built;
        std::string expected;
    };
    const Case cases[] = {
        {cmd::findController(), "00AC"},
        {cmd::answerCheck(id), "01AC"},
        {cmd::modelVersion(id), "01DB"},
        {cmd::serialNumber(id), "01AS"},
        {cmd::readClock(id), "01AB"},
        {cmd::setClock("07", makeTime(2004, 3, 5, 7, 8, 9)), "07AA20040305070809"},
        {cmd::setClock(id, makeTime(1999, 12, 31, 23, 59, 58)), "01AA19991231235958"},
        {cmd::alarm(id, 0), "01JF0"},
        {cmd::alarm(id, 6), "01JF6"},
        {cmd::addReader(id), "01DCA11"},
        {cmd::cardRecord(id, "12345678"), "01HA00010000000012345678010XXXX0"},
        {cmd::cardRecord(id, "1234"), "01HA0001000000001234010XXXX0"},
        {cmd::cardRecord(id, ""), "01HA000100000000010XXXX0"},
        {cmd::factoryIH(id), "01IH"},
        {cmd::endTest(id), "01JD"},
        {cmd::factoryHK(id), "01HK"},
        {cmd::setLineSetting(id, 5), "01AE5"},
        {cmd::setLineSetting(id, 10), "01AEA"},
        {cmd::pollOutput(id, 1), "01JC00110002"},
        {cmd::pollOutput(id, 4), "01JC00410002"},
        {cmd::autoTestOutput(id, 1), "01JC00110005"},
        {cmd::autoTestOutput(id, 2), "01JC00210005"},
        {cmd::poll(id), "01PJ"},
        {cmd::recordAck(id), "01IB"},
        {cmd::console(id, "xy Z"), "01xy Z"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.built, c.expected);
    EXPECT_EQ(cmd::cardRecord(id, "12345678").size(), 32u);
    EXPECT_EQ(cmd::cardRecord(id, "1234").size(), 28u);
}

TEST(Commands, LineSettingCodes) {
    const std::string codes = "0123456789AB";
    for (int i = 0; i < 12; ++i) EXPECT_EQ(cmd::lineSettingCode(i), codes[static_cast<std::size_t>(i)]) << i;
}

TEST(Replies, FieldIsOneBasedAndClipped) {
    const std::string text = "ABCDEF";
    EXPECT_EQ(reply::field(text, 1, 2), "AB");
    EXPECT_EQ(reply::field(text, 5, 10), "EF");
    EXPECT_EQ(reply::field(text, 6, 1), "F");
    EXPECT_EQ(reply::field(text, 7, 1), "");
    EXPECT_EQ(reply::field(text, 100, 3), "");
    EXPECT_EQ(reply::field(text, 2, 0), "");
    EXPECT_EQ(reply::field("", 1, 4), "");
}

TEST(Replies, AcDbAsFields) {
    const std::string ac = replyText("xyzw7Q");
    ASSERT_EQ(static_cast<int>(ac.size()), reply::AcFrameLength);
    EXPECT_EQ(reply::controllerId(ac), "7Q");

    const std::string db = replyText("----MODEL-X1V3.01abc");
    EXPECT_EQ(reply::modelText(db), "MODEL-X1");
    EXPECT_EQ(reply::versionText(db), "V3.01abc");

    const std::string as = replyText("----SN123456");
    EXPECT_EQ(reply::serialText(as), "SN123456");
}

TEST(Replies, PollRepliesOfEachLength) {
    const std::string head = "----20040305070809" "1x01" "----";   // 26 characters
    const std::string record = "R" "20040305070809" "0001" "00042";  // 24 more: 50
    struct Case {
        std::string payload;
        int rxPos;
    };
    const Case cases[] = {{head, reply::PjShortFrameLength}, {head + "R", 34}, {head + record, reply::PjLongFrameLength}};

    linktest::ScriptedLink link;
    ASSERT_TRUE(OpenComm(1, "19200,e,8,1"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload.size());
        link.script->queue(buildReplyFrame(c.payload));
        ASSERT_TRUE(SendCommand(cmd::poll("01")));
        EXPECT_EQ(RxPos, c.rxPos);
        EXPECT_EQ(reply::clockText(RxText), "2004/03/05  07:08:09");
        EXPECT_EQ(reply::inputStates(RxText), "1x01");
    }
    EXPECT_EQ(reply::recordText(RxText), "R-20040305070809-0001-00042");
    EXPECT_EQ(reply::recordText(RxText).size(), 27u);
}

TEST(Replies, InputActiveOnlyForOne) {
    const std::string states = "1x01";
    EXPECT_TRUE(reply::inputActive(states, 1));
    EXPECT_FALSE(reply::inputActive(states, 2));
    EXPECT_FALSE(reply::inputActive(states, 3));
    EXPECT_TRUE(reply::inputActive(states, 4));
    EXPECT_FALSE(reply::inputActive("1", 2));    // missing characters are inactive
    EXPECT_FALSE(reply::inputActive(states, 0));
}
