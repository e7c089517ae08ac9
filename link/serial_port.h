#pragma once
// The one COM port of the program: open by number, line settings, writes
// with fixed pauses, close restoring what open found.
#include <functional>
#include <memory>
#include <string>

#include "link/byte_device.h"

// A real serial device opened exclusively (O_NOCTTY, flock, TIOCEXCL), its
// termios saved at open and restored when the object is destroyed.
class PosixSerialPort final : public ByteDevice {
public:
    // nullptr when the device is missing or held elsewhere. A line-settings
    // text that cannot be parsed leaves the line as it was.
    static std::unique_ptr<PosixSerialPort> open(const std::string& devicePath,
                                                 const std::string& lineSettings);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool write(const uint8_t* data, std::size_t count) override;
    int readByte(uint8_t& byte) override;
    int fd() const { return fd_; }

private:
    explicit PosixSerialPort(int fd);
    enum class Fill { Got, Empty, Gone };
    Fill fillReceiveBuffer();

    int fd_ = -1;
    uint8_t rxBuffer_[64] = {};
    std::size_t rxNext_ = 0;
    std::size_t rxEnd_ = 0;
    bool haveSavedTermios_ = false;
    struct SavedState;
    std::unique_ptr<SavedState> saved_;
};

// Opens the device for a COM number with a line-settings text; replaceable so
// that exchange tests can hand scripted devices to the real link code.
using DeviceOpener = std::function<std::unique_ptr<ByteDevice>(int portNumber,
                                                               const std::string& lineSettings)>;
void setDeviceOpener(DeviceOpener opener);   // empty: the real ports again

// The port in use, or nullptr while closed (or after a failed open).
ByteDevice* CommHandle();

bool OpenComm(int portNumber, const char* lineSettings);
void CloseComm();
void WriteCommByte(int value);                        // low 8 bits, then 3 ms
void WriteCommBlock(const uint8_t* data, int count);  // one write, then 10 ms
int WaitMs(int milliseconds);                          // busy-wait, wrap-safe

// Closes the port on every path out of a scope that opened it.
class CommPortGuard {
public:
    CommPortGuard() = default;
    ~CommPortGuard() { release(); }
    CommPortGuard(const CommPortGuard&) = delete;
    CommPortGuard& operator=(const CommPortGuard&) = delete;
    bool open(int portNumber, const char* lineSettings) {
        open_ = OpenComm(portNumber, lineSettings);
        return open_;
    }
    void release() {
        if (open_) { open_ = false; CloseComm(); }
    }
    bool isOpen() const { return open_; }
private:
    bool open_ = false;
};
