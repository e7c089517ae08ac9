// Replies as the program sees them on the line: lengths, fields, when the
// simulator stays silent, line-setting changes, poll records and the log.
#include "sim_test_support.h"

namespace simtest {
namespace {

using ReplyTest = SimFixture;

TEST_F(ReplyTest, FindReplyIsThirteenBytesEndingInTheId) {
    for (const std::string request : {"00AC", "01AC"}) {
        SCOPED_TRACE(request);
        const auto frame = program->exchange(request);
        ASSERT_EQ(frame.size(), 13u);
        EXPECT_TRUE(crcValid(frame));
        EXPECT_EQ(payloadOf(frame).substr(4), "01");
    }
}

TEST_F(ReplyTest, EachCommandGetsAReplyOfTheLengthTheProgramChecks) {
    struct Case {
        std::string request;
        std::size_t length;   // 0: an acknowledgement of at least 4 characters
    };
    const Case cases[] = {
        {"00AC", 6},
        {"01DB", 20},
        {"01AS", 12},
        {"01AB", 19},
        {"01PJ", 26},
        {"01AA20040305070809", 0},
        {"01JF3", 0},
        {"01DCA11", 0},
        {"01HA00010000000012345678010XXXX0", 0},
        {"01IH", 0},
        {"01JD", 0},
        {"01HK", 0},
        {"01JC00110002", 0},
        {"01IB", 0},
        {"01free console text", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        const auto frame = program->exchange(c.request);
        ASSERT_TRUE(crcValid(frame));
        const std::string payload = payloadOf(frame);
        if (c.length > 0)
            EXPECT_EQ(payload.size(), c.length);
        else
            EXPECT_GE(payload.size(), 4u);
    }
}

TEST_F(ReplyTest, FieldsSitWhereTheProgramReadsThem) {
    controller.setInputs("101x");
    const std::string db = payloadOf(program->exchange("01DB"));
    EXPECT_EQ(db.substr(4, 8), "QX530RM3");
    EXPECT_EQ(db.substr(12, 8), "03.20-01");
    EXPECT_EQ(payloadOf(program->exchange("01AS")).substr(4, 8), "00012345");
    const std::string pj = payloadOf(program->exchange("01PJ"));
    ASSERT_EQ(pj.size(), 26u);
    EXPECT_EQ(pj.substr(18, 4), "101x");
}

TEST_F(ReplyTest, ClockSetWithAaRunsOnInAbAndPjReplies) {
    ASSERT_TRUE(crcValid(program->exchange("01AA20040305070809")));
    // Minutes may tick over on a slow machine; the hour does not.
    EXPECT_EQ(payloadOf(program->exchange("01AB")).substr(4, 10), "2004030507");
    EXPECT_EQ(payloadOf(program->exchange("01PJ")).substr(4, 10), "2004030507");
}

TEST_F(ReplyTest, StaysSilentUnlessSpeedAddressAndCrcAreRight) {
    auto badCrc = buildRequestFrame("00AC");
    badCrc[badCrc.size() - 2] = badCrc[badCrc.size() - 2] == '0' ? '1' : '0';
    struct Case {
        const char* what;
        int baud;
        std::vector<uint8_t> request;
    };
    const Case cases[] = {
        {"another speed", 9600, buildRequestFrame("00AC")},
        {"another controller", 19200, buildRequestFrame("02DB")},
        {"00 outside the find command", 19200, buildRequestFrame("00DB")},
        {"bad CRC", 19200, badCrc},
        {"junk only", 19200, {'x', 'y', CR}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        program->setSpeed(c.baud);
        controller.clearLog();
        program->sendBytes(c.request);
        if (c.request.front() == SOH) {
            ASSERT_TRUE(controller.waitForRequests(1, kDeadline));
            const auto entry = controller.log().front();
            EXPECT_FALSE(entry.answered);
            EXPECT_EQ(entry.baud, c.baud);
        }
        // Nothing came for it: the next bytes on the line are the good reply.
        program->setSpeed(19200);
        const auto frame = program->exchange("00AC");
        EXPECT_EQ(frame.size(), 13u);
        EXPECT_TRUE(crcValid(frame));
    }
}

TEST_F(ReplyTest, JunkBeforeTheStartOfARequestIsIgnored) {
    std::vector<uint8_t> bytes = {'n', 'o', 'i', 's', 'e', STX};
    const auto request = buildRequestFrame("01AS");
    bytes.insert(bytes.end(), request.begin(), request.end());
    program->sendBytes(bytes);
    EXPECT_EQ(payloadOf(program->readUntilCr()).size(), 12u);
    EXPECT_EQ(controller.payloads(), std::vector<std::string>{"01AS"});
}

TEST_F(ReplyTest, LogRecordsEveryRequestWithSpeedSettingAndCrc) {
    auto badCrc = buildRequestFrame("01AB");
    badCrc[badCrc.size() - 3] = badCrc[badCrc.size() - 3] == '0' ? '1' : '0';
    program->exchange("00AC");
    program->sendBytes(badCrc);
    ASSERT_TRUE(controller.waitForRequests(2, kDeadline));

    const auto log = controller.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].payload, "00AC");
    EXPECT_TRUE(log[0].crcOk);
    EXPECT_TRUE(log[0].answered);
    EXPECT_EQ(log[0].baud, 19200);
    EXPECT_EQ(log[0].settingIndex, 5);
    EXPECT_EQ(log[1].payload, "01AB");
    EXPECT_FALSE(log[1].crcOk);
    EXPECT_FALSE(log[1].answered);
    EXPECT_LE(log[0].time, log[1].time);
    EXPECT_EQ(controller.payloads(), (std::vector<std::string>{"00AC", "01AB"}));

    controller.clearLog();
    EXPECT_TRUE(controller.log().empty());
    EXPECT_FALSE(controller.waitForRequests(1, 10ms));
}

TEST_F(ReplyTest, LineSettingChangesOnlyAfterTheAeReply) {
    // The reply still comes at the old speed.
    const auto reply = program->exchange("01AE7");
    ASSERT_TRUE(crcValid(reply));
    ASSERT_TRUE(eventually([&] { return controller.settingIndex() == 7; }));

    EXPECT_FALSE(sendUnanswered("01AB").answered);
    program->setSpeed(38400);   // setting 7: 38400,e,8,1
    EXPECT_EQ(payloadOf(program->exchange("01AB")).size(), 19u);
    EXPECT_EQ(controller.log().back().settingIndex, 7);

    // Codes A and B stand for the settings 10 and 11.
    ASSERT_TRUE(crcValid(program->exchange("01AEB")));
    EXPECT_TRUE(eventually([&] { return controller.settingIndex() == 11; }));
}

TEST_F(ReplyTest, QueuedRecordsMakeLongPollRepliesOneEach) {
    const std::vector<std::string> records = {"1-20240102030405-0007-00042", "2-20241231235959-1234-ABCDE"};
    controller.queuePollRecords(records);
    for (const std::string& record : records) {
        const auto frame = program->exchange("01PJ");
        ASSERT_EQ(frame.size(), 57u);
        ASSERT_TRUE(crcValid(frame));
        const std::string p = payloadOf(frame);
        EXPECT_EQ(p.substr(26, 1) + "-" + p.substr(27, 14) + "-" + p.substr(41, 4) + "-" + p.substr(45, 5), record);
    }
    EXPECT_EQ(program->exchange("01PJ").size(), 33u);
}

TEST_F(ReplyTest, ScriptedReplyPayloadIsUsedOnce) {
    controller.setNextReplyPayload("AC", "ABCD77");
    EXPECT_EQ(payloadOf(program->exchange("00AC")), "ABCD77");
    EXPECT_EQ(payloadOf(program->exchange("00AC")).substr(4), "01");
}

}  // namespace
}  // namespace simtest
