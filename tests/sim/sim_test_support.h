#pragma once
// The program's side of the line, with nothing but POSIX calls, plus a
// temporary configuration folder and a running simulator for each test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "link/frame.h"
#include "sim/sim_controller.h"

namespace simtest {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Generous: machines are shared and a sanitizer build is slow.
constexpr auto kDeadline = 5s;

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/qxsim-test-XXXXXX";
        if (::mkdtemp(name)) path_ = name;
    }
    ~TempDir() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline speed_t speedConstant(int baud) {
    switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

// Opens the slave end as the program would and talks to the simulator.
class ProgramSide {
public:
    explicit ProgramSide(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~ProgramSide() {
        if (fd_ >= 0) ::close(fd_);
    }
    ProgramSide(const ProgramSide&) = delete;
    ProgramSide& operator=(const ProgramSide&) = delete;

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    void setSpeed(int baud) {
        termios tio{};
        ASSERT_EQ(::tcgetattr(fd_, &tio), 0);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, speedConstant(baud));
        ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &tio), 0);
    }

    void sendBytes(const std::vector<uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << "write to the line failed";
            done += static_cast<std::size_t>(n);
        }
    }
    void send(const std::string& payload) { sendBytes(buildRequestFrame(payload)); }

    // Everything up to and including the next CR; what came so far when the
    // deadline passes first (empty: no reply).
    std::vector<uint8_t> readUntilCr(std::chrono::milliseconds deadline = kDeadline) {
        const auto until = std::chrono::steady_clock::now() + deadline;
        for (;;) {
            for (std::size_t i = 0; i < buffer_.size(); ++i) {
                if (buffer_[i] == CR) {
                    std::vector<uint8_t> line(buffer_.begin(), buffer_.begin() + static_cast<long>(i) + 1);
                    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(i) + 1);
                    return line;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            // Bytes still queued come first, even when the line has hung up.
            uint8_t chunk[256];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n > 0)
                buffer_.insert(buffer_.end(), chunk, chunk + n);
            else if (p.revents & (POLLHUP | POLLERR))
                break;
        }
        std::vector<uint8_t> partial;
        partial.swap(buffer_);
        return partial;
    }

    std::vector<uint8_t> exchange(const std::string& payload) {
        send(payload);
        return readUntilCr();
    }

private:
    int fd_ = -1;
    std::vector<uint8_t> buffer_;
};

// Reply frame checks, written out here rather than borrowed from the link code.
inline bool wellFormed(const std::vector<uint8_t>& frame) {
    return frame.size() >= 11 && frame.front() == ETX && frame.back() == CR && frame[frame.size() - 6] == EOT;
}
inline std::string payloadOf(const std::vector<uint8_t>& frame) {
    if (!wellFormed(frame)) return "";
    return std::string(frame.begin() + 1, frame.end() - 6);
}
inline std::string crcTextOf(const std::vector<uint8_t>& frame) {
    if (frame.size() < 5) return "";
    return std::string(frame.end() - 5, frame.end() - 1);
}
inline bool crcValid(const std::vector<uint8_t>& frame) {
    return wellFormed(frame) && crcTextOf(frame) == crcDigits(crc16Arc(frame.data(), frame.size() - 5));
}

inline sim::Options optionsFor(const std::string& configDir) {
    sim::Options options;
    options.configDir = configDir;
    options.comNumber = 3;
    options.controllerId = "01";
    options.settingIndex = 5;   // 19200
    return options;
}

// A running simulator with ID 01 at setting 5 and the program's end open at 19200.
class SimFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        ASSERT_TRUE(controller.start());
        program = std::make_unique<ProgramSide>(controller.slavePath());
        ASSERT_TRUE(program->isOpen());
        program->setSpeed(19200);
    }

    // Sends a request that must stay unanswered and waits until it is logged.
    sim::LoggedRequest sendUnanswered(const std::string& payload) {
        controller.clearLog();
        program->send(payload);
        EXPECT_TRUE(controller.waitForRequests(1, kDeadline));
        const auto log = controller.log();
        return log.empty() ? sim::LoggedRequest{} : log.back();
    }

    TempDir dir;
    sim::SimController controller{optionsFor(dir.path())};
    std::unique_ptr<ProgramSide> program;
};

template <typename Condition>
bool eventually(Condition condition) {
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

}  // namespace simtest
