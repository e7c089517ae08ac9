// The port link the simulator makes for the program, and how payloads map to
// the command letters used for scripting.
#include "sim_test_support.h"

namespace simtest {
namespace {

TEST(PortLink, PointsAtTheSlaveAndGoesAwayOnStop) {
    TempDir folder;   // no ports/ folder yet
    const std::string expected = folder.path() + "/ports/COM3";
    {
        sim::SimController device(optionsFor(folder.path()));
        ASSERT_TRUE(device.start());
        EXPECT_EQ(device.linkPath(), expected);
        ASSERT_TRUE(fs::is_symlink(expected));
        EXPECT_EQ(fs::read_symlink(expected).string(), device.slavePath());
        EXPECT_EQ(device.slavePath().rfind("/dev/pts/", 0), 0u) << device.slavePath();
        device.stop();
        EXPECT_FALSE(fs::exists(fs::symlink_status(expected)));
    }
    // The destructor stops as well.
    {
        sim::SimController device(optionsFor(folder.path()));
        ASSERT_TRUE(device.start());
        ASSERT_TRUE(fs::is_symlink(expected));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(expected)));
}

TEST(PortLink, ReplacesAStaleLinkAndLeavesAnotherSimulatorsLinkAlone) {
    TempDir folder;
    const fs::path link = fs::path(folder.path()) / "ports" / "COM3";
    fs::create_directories(link.parent_path());
    fs::create_symlink("/dev/null", link);

    sim::SimController first(optionsFor(folder.path()));
    ASSERT_TRUE(first.start());
    EXPECT_EQ(fs::read_symlink(link).string(), first.slavePath());

    // A second simulator takes COM3 over; the first one stopping must not
    // pull the link from under it.
    sim::SimController second(optionsFor(folder.path()));
    ASSERT_TRUE(second.start());
    EXPECT_EQ(fs::read_symlink(link).string(), second.slavePath());
    first.stop();
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), second.slavePath());
    // Nothing but the link is left in ports/.
    EXPECT_EQ(std::distance(fs::directory_iterator(link.parent_path()), fs::directory_iterator()), 1);
}

TEST(PortLink, DefaultsToTheProgramsConfigurationFolder) {
    TempDir home;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);

    sim::Options options = optionsFor("");
    options.comNumber = 16;
    sim::SimController device(options);
    const bool started = device.start();
    if (saved) ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(started);
    const std::string expected = home.path() + "/VELDO/QX530RM2Config/ports/COM16";
    EXPECT_EQ(device.linkPath(), expected);
    EXPECT_EQ(fs::read_symlink(expected).string(), device.slavePath());
}

TEST(PortLink, NoLinkWhenNoneIsWanted) {
    TempDir folder;
    sim::Options options = optionsFor(folder.path());
    options.makeLink = false;
    sim::SimController device(options);
    ASSERT_TRUE(device.start());
    EXPECT_TRUE(device.linkPath().empty());
    EXPECT_FALSE(fs::exists(fs::path(folder.path()) / "ports"));
    ProgramSide side(device.slavePath());
    side.setSpeed(19200);
    EXPECT_EQ(side.exchange("00AC").size(), 13u);
}

TEST(PortLink, StartFailsWhenThePortsFolderCannotBeMade) {
    TempDir folder;
    // A plain file where the folder should be stops even root.
    const std::string blocker = folder.path() + "/ports";
    std::FILE* file = std::fopen(blocker.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    sim::SimController device(optionsFor(folder.path()));
    EXPECT_FALSE(device.start());
    EXPECT_TRUE(device.log().empty());
}

TEST(CommandOf, PayloadsMapToTheirCommandLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"00AC", "AC"},
        {"01DCA11", "DCA11"},
        {"01DB", "DB"},
        {"07AA20040305070809", "AA"},
        {"01HA00010000000012345678010XXXX0", "HA"},
        {"01AEB", "AE"},
        {"01JC00110002", "JC"},
        {"01PJ", "PJ"},
        {"01IB", "IB"},
        {"01DC", "*"},      // not DCA11, and DC alone is no command
        {"01hello", "*"},
        {"01", "*"},
        {"A", "*"},
        {"", "*"},
        {"01ac", "*"},      // sent as typed, never changed in case
    };
    for (const auto& [payload, command] : cases) EXPECT_EQ(sim::commandOf(payload), command) << payload;
}

}  // namespace
}  // namespace simtest
