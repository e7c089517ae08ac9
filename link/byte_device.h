#pragma once
// The narrow seam between the exchange logic and a real port: a device that
// writes blocks synchronously and reads one byte with a short time-out.
#include <cstddef>
#include <cstdint>

class ByteDevice {
public:
    virtual ~ByteDevice() = default;

    // Writes all bytes before returning. The result is informational only;
    // the exchange notices a failed write through its reply time-out.
    virtual bool write(const uint8_t* data, std::size_t count) = 0;

    // Waits at most about 1 ms for one byte. Returns 1 and stores the byte
    // when one arrived, 0 otherwise (also when the device has gone away).
    virtual int readByte(uint8_t& byte) = 0;
};
