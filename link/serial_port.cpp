#include "link/serial_port.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "link/com_ports.h"
#include "link/line_settings.h"
#include "link/link_clock.h"

namespace {

// Owns a descriptor while open() is still deciding whether to keep it.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
private:
    int fd_;
};

constexpr int ReadWaitMs = 1;
constexpr int WriteStallLimitMs = 1000;

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A device that has gone away answers poll() and read() at once. Waiting out
// the rest of the read time keeps the receive loop at its usual pace, so it
// still ends by its time-out instead of spinning.
void sleepRestOfReadWait(int64_t startNs) {
    const int64_t remaining = static_cast<int64_t>(ReadWaitMs) * 1000000 - (monotonicNs() - startNs);
    if (remaining <= 0) return;
    timespec ts{0, static_cast<long>(remaining)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::unique_ptr<ByteDevice> openRealPort(int portNumber, const std::string& lineSettings) {
    const std::string path = comDevicePath(portNumber, configDirectory());
    if (path.empty()) return nullptr;
    return PosixSerialPort::open(path, lineSettings);
}

std::unique_ptr<ByteDevice> currentPort;
DeviceOpener customOpener;

}  // namespace

struct PosixSerialPort::SavedState {
    termios tio{};
};

PosixSerialPort::PosixSerialPort(int fd) : fd_(fd) {}

std::unique_ptr<PosixSerialPort> PosixSerialPort::open(const std::string& devicePath,
                                                       const std::string& lineSettings) {
    UniqueFd fd(::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return nullptr;

    // flock() keeps out a second open in this process and other processes,
    // root included; TIOCEXCL adds the tty's own guard against non-root opens.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
    (void)::ioctl(fd.get(), TIOCEXCL);

    std::unique_ptr<PosixSerialPort> port(new PosixSerialPort(fd.release()));
    port->saved_ = std::make_unique<SavedState>();
    port->haveSavedTermios_ = ::tcgetattr(port->fd_, &port->saved_->tio) == 0;

    if (port->haveSavedTermios_) {
        if (const auto setting = parseLineSettings(lineSettings)) {
            termios tio = port->saved_->tio;
            // The result is not examined: a pseudo-terminal refuses a change of
            // parity alone with EINVAL, and a line that keeps its old state
            // shows up later as a failed exchange.
            if (applyLineSetting(tio, *setting)) (void)::tcsetattr(port->fd_, TCSANOW, &tio);
        }
    }
    // An open starts with an empty receive buffer: bytes left from before (the
    // rest of a flood, a reply that came too late) answer no request of ours.
    (void)::tcflush(port->fd_, TCIFLUSH);
    return port;
}

PosixSerialPort::~PosixSerialPort() {
    if (fd_ < 0) return;
    if (haveSavedTermios_) (void)::tcsetattr(fd_, TCSANOW, &saved_->tio);
    (void)::ioctl(fd_, TIOCNXCL);
    (void)::flock(fd_, LOCK_UN);
    ::close(fd_);
}

bool PosixSerialPort::write(const uint8_t* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, data + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // Output buffer full: wait for room, but give up on a line that never drains.
        pollfd pfd{fd_, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, WriteStallLimitMs);
        if (ready <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

int PosixSerialPort::readByte(uint8_t& byte) {
    // Bytes already waiting are taken in one go and handed out one at a time,
    // so a reply costs a read call, not a poll and a read for every byte.
    if (rxNext_ == rxEnd_) {
        const int64_t start = monotonicNs();
        Fill fill = fillReceiveBuffer();
        if (fill == Fill::Empty) {
            pollfd pfd{fd_, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, ReadWaitMs);
            if (ready == 0) return 0;  // the normal empty read: poll waited the whole time
            fill = ready > 0 ? fillReceiveBuffer() : Fill::Gone;
        }
        if (fill != Fill::Got) {
            // poll() came back early without a byte to show for it: hang-up,
            // error or an interrupted call.
            sleepRestOfReadWait(start);
            return 0;
        }
    }
    byte = rxBuffer_[rxNext_++];
    return 1;
}

PosixSerialPort::Fill PosixSerialPort::fillReceiveBuffer() {
    const ssize_t n = ::read(fd_, rxBuffer_, sizeof rxBuffer_);
    if (n > 0) {
        rxNext_ = 0;
        rxEnd_ = static_cast<std::size_t>(n);
        return Fill::Got;
    }
    // Nothing waiting reads as EAGAIN, or as 0 on a line left with VMIN 0.
    if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return Fill::Empty;
    return Fill::Gone;   // EIO and the like: the device has gone away
}

void setDeviceOpener(DeviceOpener opener) { customOpener = std::move(opener); }

ByteDevice* CommHandle() { return currentPort.get(); }

bool OpenComm(int portNumber, const char* lineSettings) {
    // Only one port at a time: an earlier one is closed (and its line restored)
    // before the next device is opened, so that nothing leaks.
    currentPort.reset();
    const std::string settings = lineSettings ? lineSettings : "";
    currentPort = customOpener ? customOpener(portNumber, settings) : openRealPort(portNumber, settings);
    return currentPort != nullptr;
}

void CloseComm() { currentPort.reset(); }

void WriteCommByte(int value) {
    const uint8_t byte = static_cast<uint8_t>(value & 0xFF);
    if (currentPort) (void)currentPort->write(&byte, 1);
    Sleep(3);
}

void WriteCommBlock(const uint8_t* data, int count) {
    if (currentPort && data && count > 0) (void)currentPort->write(data, static_cast<std::size_t>(count));
    Sleep(10);
}

int WaitMs(int milliseconds) {
    const uint32_t wanted = milliseconds > 0 ? static_cast<uint32_t>(milliseconds) : 0;
    LinkClock& clock = linkClock();
    const uint32_t start = clock.nowMs();
    uint32_t elapsed = 0;
    do {
        elapsed = clock.nowMs() - start;  // unsigned: correct across the 2^32 wrap
    } while (elapsed < wanted);
    return static_cast<int>(elapsed);
}
