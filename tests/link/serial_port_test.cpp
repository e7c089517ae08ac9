// The port layer: the global port with scripted devices, and the real POSIX
// port on pseudo-terminals.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "link/exchange.h"
#include "link/frame.h"
#include "link/serial_port.h"
#include "scripted_device.h"

using namespace linktest;

TEST(CommPort, WriteCommByteSendsTheLowEightBits) {
    ScriptedLink link;
    ASSERT_TRUE(OpenComm(4, "9600,n,8,1"));
    WriteCommByte(0x1FF);
    WriteCommByte(0x41);
    WriteCommByte(-1);
    EXPECT_EQ(link.script->written, (std::vector<uint8_t>{0xFF, 0x41, 0xFF}));
    EXPECT_EQ(link.script->writeSizes, (std::vector<std::size_t>{1, 1, 1}));
    EXPECT_EQ(link.clock.sleeps, (std::vector<int>{3, 3, 3}));
}

TEST(CommPort, WriteCommBlockIsOneWriteThenTenMs) {
    ScriptedLink link;
    ASSERT_TRUE(OpenComm(4, "9600,n,8,1"));
    const uint8_t block[] = {0x00, 0x80, 0x0D};
    WriteCommBlock(block, 3);
    EXPECT_EQ(link.script->written, (std::vector<uint8_t>{0x00, 0x80, 0x0D}));
    EXPECT_EQ(link.script->writeSizes, (std::vector<std::size_t>{3}));
    EXPECT_EQ(link.clock.sleeps, (std::vector<int>{10}));
}

TEST(CommPort, WaitMsAcrossTheCounterWrap) {
    ScriptedLink link;
    for (uint32_t start : {0xFFFFFFFBu, 0xFFFFFFFFu, 0u, 12345u}) {
        SCOPED_TRACE(start);
        link.clock.now = start;
        const int waited = WaitMs(10);
        EXPECT_EQ(waited, 10);
        EXPECT_LE(link.clock.now - start, 12u);   // neither at once nor a whole period
    }
}

TEST(CommPort, SecondOpenClosesTheFirstAndFailedOpenLeavesNoHandle) {
    ScriptedLink link;
    int liveAtOpen = -1;
    bool refuse = false;
    setDeviceOpener([&, s = link.script](int, const std::string&) -> std::unique_ptr<ByteDevice> {
        liveAtOpen = s->live;
        if (refuse) return nullptr;
        return std::make_unique<ScriptedDevice>(s);
    });
    ASSERT_TRUE(OpenComm(1, "9600,n,8,1"));
    ASSERT_TRUE(OpenComm(2, "9600,n,8,1"));
    EXPECT_EQ(liveAtOpen, 0);     // the first device was gone before the second was opened
    EXPECT_EQ(link.script->live, 1);

    refuse = true;
    EXPECT_FALSE(OpenComm(3, "9600,n,8,1"));
    EXPECT_EQ(CommHandle(), nullptr);
    EXPECT_EQ(link.script->live, 0);
    CloseComm();                   // harmless on a closed port
}

TEST(CommPort, OpenCommPassesNumberAndSettings) {
    ScriptedLink link;
    int seenPort = 0;
    std::string seenSettings;
    setDeviceOpener([&, s = link.script](int port, const std::string& settings) -> std::unique_ptr<ByteDevice> {
        seenPort = port;
        seenSettings = settings;
        return std::make_unique<ScriptedDevice>(s);
    });
    ASSERT_TRUE(OpenComm(16, "115200,e,8,1"));
    EXPECT_EQ(seenPort, 16);
    EXPECT_EQ(seenSettings, "115200,e,8,1");
    EXPECT_NE(CommHandle(), nullptr);
    CloseComm();
    EXPECT_EQ(CommHandle(), nullptr);
}

namespace {

// A pseudo-terminal pair; the test keeps a slave descriptor open so that the
// master stays readable, as a simulator would.
class Pty {
public:
    Pty() {
        char name[128] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
    }
    ~Pty() {
        closeMaster();
        closeSlave();
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void closeSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }
    speed_t speed() const {
        termios tio{};
        tcgetattr(master_, &tio);
        return cfgetospeed(&tio);
    }
    void setRawSpeed(speed_t speed) {
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(slave_, TCSANOW, &tio);
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Hands the pseudo-terminal to OpenComm whatever COM number is asked for.
class PtyOpener {
public:
    explicit PtyOpener(const std::string& path) {
        setDeviceOpener([path](int, const std::string& settings) -> std::unique_ptr<ByteDevice> {
            return PosixSerialPort::open(path, settings);
        });
    }
    ~PtyOpener() {
        CloseComm();
        setProcessMessages({});
        setDeviceOpener({});
    }
    PtyOpener(const PtyOpener&) = delete;
    PtyOpener& operator=(const PtyOpener&) = delete;
};

}  // namespace

TEST(PosixPort, OpenSetsSpeedAndCloseRestoresIt) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    pty.setRawSpeed(B9600);
    {
        auto port = PosixSerialPort::open(pty.path(), "115200,n,8,1");
        ASSERT_TRUE(port);
        EXPECT_EQ(pty.speed(), B115200);
    }
    EXPECT_EQ(pty.speed(), B9600);

    // A text the layer cannot parse leaves the line as it was, and opens.
    auto port = PosixSerialPort::open(pty.path(), "fast please");
    ASSERT_TRUE(port);
    EXPECT_EQ(pty.speed(), B9600);
}

TEST(PosixPort, MissingDeviceFails) {
    EXPECT_EQ(PosixSerialPort::open("/dev/qxlink-no-such-device", "9600,n,8,1"), nullptr);
}

TEST(PosixPort, SecondOpenInThisProcessFails) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    auto first = PosixSerialPort::open(pty.path(), "9600,n,8,1");
    ASSERT_TRUE(first);
    EXPECT_EQ(PosixSerialPort::open(pty.path(), "9600,n,8,1"), nullptr);
    first.reset();
    EXPECT_TRUE(PosixSerialPort::open(pty.path(), "9600,n,8,1"));   // free again after close
}

TEST(PosixPort, PortHeldByAnotherProcessFails) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char result = 'n';
        {
            auto port = PosixSerialPort::open(pty.path(), "9600,n,8,1");
            if (port) result = 'y';
            (void)!::write(toParent[1], &result, 1);
            char go = 0;
            (void)!::read(toChild[0], &go, 1);   // hold the port until told
        }
        _exit(result == 'y' ? 0 : 1);
    }
    char held = 0;
    ASSERT_EQ(::read(toParent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    EXPECT_EQ(PosixSerialPort::open(pty.path(), "9600,n,8,1"), nullptr);

    const char go = 'g';
    ASSERT_EQ(::write(toChild[1], &go, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(PosixSerialPort::open(pty.path(), "9600,n,8,1"));   // released when it let go
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) ::close(fd);
}

TEST(PosixPort, ExchangeOverAPseudoTerminal) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    PtyOpener opener(pty.path());
    ASSERT_TRUE(OpenComm(1, "19200,n,8,1"));

    // Reads the request up to its CR and answers it.
    std::vector<uint8_t> request;
    std::thread controller([&] {
        uint8_t byte = 0;
        pollfd pfd{pty.master(), POLLIN, 0};
        while (poll(&pfd, 1, 5000) > 0 && ::read(pty.master(), &byte, 1) == 1) {
            request.push_back(byte);
            if (byte == CR) break;
        }
        const auto reply = buildReplyFrame("1234");
        (void)!::write(pty.master(), reply.data(), reply.size());
    });
    const bool answered = SendCommand("01AB");
    controller.join();
    EXPECT_EQ(request, buildRequestFrame("01AB"));
    EXPECT_TRUE(answered);
    EXPECT_EQ(RxPos, 11);
    EXPECT_EQ(RxText, "\x03" "1234\x04" "4394\r");
}

TEST(PosixPort, VanishedDeviceEndsByTimeOutWithoutSpinning) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    PtyOpener opener(pty.path());
    ASSERT_TRUE(OpenComm(1, "19200,n,8,1"));
    pty.closeMaster();
    pty.closeSlave();

    int emptyReads = 0;
    setProcessMessages([&] { ++emptyReads; });
    RxText = "before";
    EXPECT_FALSE(SendCommand("01AB"));
    EXPECT_EQ(RxText, "before");
    // Every empty read takes its millisecond even on a dead line, so the
    // 200 ms wait holds about 200 of them; a spinning loop makes thousands.
    EXPECT_GT(emptyReads, 0);
    EXPECT_LT(emptyReads, 400);
    CloseComm();
}
