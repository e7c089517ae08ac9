// Configuration folder and the COM number to device map.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pty.h>
#include <unistd.h>

#include "link/com_ports.h"
#include "link/serial_port.h"

namespace fs = std::filesystem;

namespace {

// Points XDG_CONFIG_HOME at a fresh folder and puts the old value back.
class TempConfigHome {
public:
    TempConfigHome() {
        char pattern[] = "/tmp/qxlink-cfg-XXXXXX";
        root_ = mkdtemp(pattern);
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    ~TempConfigHome() {
        if (old_) setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const std::string& root() const { return root_; }
private:
    std::string root_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(ComPorts, ConfigDirectoryFollowsXdgThenHome) {
    TempConfigHome home;
    EXPECT_EQ(configDirectory(), home.root() + "/VELDO/QX530RM2Config");

    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", "/home/tester", 1);
    setenv("XDG_CONFIG_HOME", "", 1);   // empty counts as unset
    EXPECT_EQ(configDirectory(), "/home/tester/.config/VELDO/QX530RM2Config");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(configDirectory(), "/home/tester/.config/VELDO/QX530RM2Config");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
}

TEST(ComPorts, WithoutPortsFolderTheSerialDevices) {
    TempConfigHome home;
    const std::string dir = configDirectory();
    fs::create_directories(dir);
    EXPECT_EQ(comDevicePath(1, dir), "/dev/ttyS0");
    EXPECT_EQ(comDevicePath(3, dir), "/dev/ttyS2");
    EXPECT_EQ(comDevicePath(16, dir), "/dev/ttyS15");
    EXPECT_EQ(comDevicePath(0, dir), "");
    EXPECT_EQ(comDevicePath(17, dir), "");
    EXPECT_EQ(comDevicePath(-1, dir), "");
}

TEST(ComPorts, PortsFolderIsTheWholeMap) {
    TempConfigHome home;
    const std::string dir = configDirectory();
    const fs::path ports = fs::path(dir) / "ports";
    fs::create_directories(ports);
    fs::create_symlink("/dev/pts/7", ports / "COM1");
    fs::create_symlink("/dev/ttyUSB0", ports / "COM16");
    fs::create_symlink("/dev/ttyUSB1", ports / "COM17");
    fs::create_symlink("/dev/does-not-exist", ports / "COM5");   // dangling: still the map's word

    EXPECT_EQ(comDevicePath(1, dir), "/dev/pts/7");
    EXPECT_EQ(comDevicePath(16, dir), "/dev/ttyUSB0");
    EXPECT_EQ(comDevicePath(5, dir), "/dev/does-not-exist");
    EXPECT_EQ(comDevicePath(2, dir), "");        // no link: no port, not /dev/ttyS1
    EXPECT_EQ(comDevicePath(17, dir), "");
    EXPECT_EQ(comDevicePath(0, dir), "");
}

TEST(ComPorts, OpenCommFindsTheDeviceThroughTheMap) {
    TempConfigHome home;
    const fs::path ports = fs::path(configDirectory()) / "ports";
    fs::create_directories(ports);
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    fs::create_symlink(name, ports / "COM3");

    EXPECT_TRUE(OpenComm(3, "9600,n,8,1"));
    EXPECT_NE(CommHandle(), nullptr);
    EXPECT_FALSE(OpenComm(4, "9600,n,8,1"));   // not in the map
    EXPECT_EQ(CommHandle(), nullptr);
    CloseComm();
    ::close(slave);
    ::close(master);
}
