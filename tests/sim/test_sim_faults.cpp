// Scripted faults as they show in the bytes on the line, and a device that
// disappears while the program holds it open.
#include <algorithm>
#include <cctype>
#include <functional>

#include "sim_test_support.h"

namespace simtest {
namespace {

using FaultTest = SimFixture;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

TEST_F(FaultTest, EachFaultShowsInTheReplyBytes) {
    using Check = std::function<void(const std::vector<uint8_t>&)>;
    struct Case {
        const char* what;
        sim::Behaviour behaviour;
        Check check;
    };
    const Case cases[] = {
        {"bad CRC", {sim::Fault::BadCrc},
         [](const auto& bytes) {
             ASSERT_TRUE(wellFormed(bytes));
             EXPECT_EQ(payloadOf(bytes).size(), 19u);
             EXPECT_FALSE(crcValid(bytes));
         }},
        {"lower-case CRC", {sim::Fault::LowerCaseCrc},
         [](const auto& bytes) {
             ASSERT_TRUE(wellFormed(bytes));
             EXPECT_EQ(payloadOf(bytes).size(), 19u);
             const std::string digits = crcTextOf(bytes);
             EXPECT_TRUE(std::any_of(digits.begin(), digits.end(), [](char c) { return c >= 'a' && c <= 'f'; }))
                 << digits;
             EXPECT_FALSE(crcValid(bytes));
             auto fixed = bytes;
             const std::string up = upper(digits);
             std::copy(up.begin(), up.end(), fixed.end() - 5);
             EXPECT_TRUE(crcValid(fixed));
         }},
        {"one character too many", {sim::Fault::WrongLength},
         [](const auto& bytes) {
             EXPECT_TRUE(crcValid(bytes));
             EXPECT_EQ(payloadOf(bytes).size(), 20u);
         }},
        {"one character short", {sim::Fault::ShortLength},
         [](const auto& bytes) {
             EXPECT_TRUE(crcValid(bytes));
             EXPECT_EQ(payloadOf(bytes).size(), 18u);
         }},
        {"noise before the frame", {sim::Fault::NoiseBeforeEtx},
         [](const auto& bytes) {
             const auto etx = std::find(bytes.begin(), bytes.end(), ETX);
             ASSERT_NE(etx, bytes.end());
             EXPECT_NE(etx, bytes.begin()) << "no noise";
             const std::vector<uint8_t> frame(etx, bytes.end());
             EXPECT_TRUE(crcValid(frame));
             EXPECT_EQ(payloadOf(frame).size(), 19u);
         }},
        {"late but correct", {sim::Fault::None, 300},
         [](const auto& bytes) {
             EXPECT_TRUE(crcValid(bytes));
             EXPECT_EQ(payloadOf(bytes).size(), 19u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        controller.setBehaviour("AB", c.behaviour);
        c.check(program->exchange("01AB"));
        // Only AB was scripted.
        EXPECT_TRUE(crcValid(program->exchange("01AS")));
    }
    controller.clearBehaviours();
    EXPECT_TRUE(crcValid(program->exchange("01AB")));
}

TEST_F(FaultTest, LowerCaseCrcFailsForEveryCommand) {
    // Upper and lower case only differ where a digit is A-F; the simulator
    // must make sure one is.
    for (const std::string request : {"00AC", "01DB", "01AS", "01AB", "01PJ", "01JF1", "01JD", "01IB", "01console"}) {
        SCOPED_TRACE(request);
        const std::string command = sim::commandOf(request);
        controller.setBehaviour(command, {sim::Fault::LowerCaseCrc});
        const auto frame = program->exchange(request);
        ASSERT_TRUE(wellFormed(frame));
        EXPECT_FALSE(crcValid(frame)) << crcTextOf(frame);
    }
}

TEST_F(FaultTest, FailFirstThenCorrectReplies) {
    controller.setBehaviour("DB", {sim::Fault::BadCrc, 0, 2});
    EXPECT_FALSE(crcValid(program->exchange("01DB")));
    EXPECT_FALSE(crcValid(program->exchange("01DB")));
    EXPECT_TRUE(crcValid(program->exchange("01DB")));
    EXPECT_TRUE(crcValid(program->exchange("01DB")));

    // Setting the behaviour again starts the count again.
    controller.setBehaviour("DB", {sim::Fault::Silent, 0, 1});
    EXPECT_FALSE(sendUnanswered("01DB").answered);
    EXPECT_TRUE(crcValid(program->exchange("01DB")));
}

TEST_F(FaultTest, SilentCommandGetsNoReplyAndOthersStillDo) {
    controller.setBehaviour("*", {sim::Fault::Silent});
    const auto entry = sendUnanswered("01hello");
    EXPECT_TRUE(entry.crcOk);
    EXPECT_FALSE(entry.answered);
    const auto frame = program->exchange("00AC");
    EXPECT_EQ(frame.size(), 13u);
    EXPECT_TRUE(crcValid(frame));
}

TEST_F(FaultTest, VanishMidReplySendsHalfAFrameThenHangsUp) {
    controller.setBehaviour("AB", {sim::Fault::VanishMidReply});
    const auto bytes = program->exchange("01AB");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.front(), ETX);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), CR), 0) << "a whole frame came";
    EXPECT_LT(bytes.size(), 26u);
    EXPECT_TRUE(eventually([&] { return !fs::is_symlink(controller.linkPath()); }));
}

TEST_F(FaultTest, FloodIsAnEtxAndNoCrAndDoesNotBlockStop) {
    controller.setBehaviour("AB", {sim::Fault::Flood});
    program->send("01AB");
    // Read a good part of it, then stop reading as a program that gave up would.
    std::vector<uint8_t> seen;
    ASSERT_TRUE(eventually([&] {
        uint8_t chunk[512];
        const ssize_t n = ::read(program->fd(), chunk, sizeof chunk);
        if (n > 0) seen.insert(seen.end(), chunk, chunk + n);
        return seen.size() >= 2048;
    }));
    EXPECT_EQ(seen.front(), ETX);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), CR), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), ETX), 1);
    // The rest stays unread; stopping must not wait for a reader.
    controller.stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(fs::path(dir.path()) / "ports" / "COM3")));
}

TEST(Vanish, RemovesTheLinkAndHangsUpTheProgramsLine) {
    for (const bool onCommand : {false, true}) {
        SCOPED_TRACE(onCommand ? "scripted on PJ" : "vanish()");
        TempDir folder;
        sim::SimController device(optionsFor(folder.path()));
        ASSERT_TRUE(device.start());
        ProgramSide side(device.slavePath());
        ASSERT_TRUE(side.isOpen());
        side.setSpeed(19200);
        ASSERT_TRUE(crcValid(side.exchange("00AC")));
        const std::string link = device.linkPath();
        ASSERT_TRUE(fs::is_symlink(link));

        if (onCommand) {
            device.setBehaviour("PJ", {sim::Fault::Vanish});
            side.send("01PJ");
        } else {
            device.vanish();
        }

        EXPECT_TRUE(eventually([&] { return !fs::is_symlink(link); }));
        pollfd p{side.fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 5000), 1);
        EXPECT_TRUE(p.revents & POLLHUP);
        uint8_t byte = 0;
        EXPECT_LE(::read(side.fd(), &byte, 1), 0) << "no reply bytes after the device went away";
        device.stop();
    }
}

}  // namespace
}  // namespace simtest
