#pragma once
// Test doubles for the link: a byte device that plays a script and records
// what was written, and a clock that moves only when it is looked at.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/byte_device.h"
#include "link/exchange.h"
#include "link/link_clock.h"
#include "link/serial_port.h"

namespace linktest {

// Shared between the test and the device, so that the test can still look at
// it after CloseComm has destroyed the device.
struct DeviceScript {
    static constexpr int Empty = -1;

    std::deque<int> reads;                   // bytes to hand out, or Empty
    std::vector<uint8_t> written;            // every byte written, in order
    std::vector<std::size_t> writeSizes;     // size of each write call
    int emptyReads = 0;
    int live = 0;                            // devices currently open
    std::function<void()> onRead;            // called at every read, byte or not

    void queue(const std::vector<uint8_t>& bytes) { reads.insert(reads.end(), bytes.begin(), bytes.end()); }
    void queue(const std::string& bytes) { reads.insert(reads.end(), bytes.begin(), bytes.end()); }
    void queueEmpty(int count) { reads.insert(reads.end(), static_cast<std::size_t>(count), Empty); }
};

class ScriptedDevice final : public ByteDevice {
public:
    explicit ScriptedDevice(std::shared_ptr<DeviceScript> script) : script_(std::move(script)) { ++script_->live; }
    ~ScriptedDevice() override { --script_->live; }

    bool write(const uint8_t* data, std::size_t count) override {
        script_->written.insert(script_->written.end(), data, data + count);
        script_->writeSizes.push_back(count);
        return true;
    }
    // Past the end of the script the line stays silent.
    int readByte(uint8_t& byte) override {
        if (script_->onRead) script_->onRead();
        int next = DeviceScript::Empty;
        if (!script_->reads.empty()) {
            next = script_->reads.front();
            script_->reads.pop_front();
        }
        if (next == DeviceScript::Empty) {
            ++script_->emptyReads;
            return 0;
        }
        byte = static_cast<uint8_t>(next);
        return 1;
    }

private:
    std::shared_ptr<DeviceScript> script_;
};

// Every reading of the counter moves it on by one millisecond; pauses move it
// by their length and are recorded.
class FakeClock final : public LinkClock {
public:
    explicit FakeClock(uint32_t start = 1000) : now(start) {}
    uint32_t nowMs() override { return now++; }
    void sleepMs(int milliseconds) override {
        sleeps.push_back(milliseconds);
        now += static_cast<uint32_t>(milliseconds);
    }
    uint32_t now;
    std::vector<int> sleeps;
};

// Installs the fake clock and a device opener that hands out scripted devices
// for every COM number; undoes both and closes the port afterwards.
class ScriptedLink {
public:
    ScriptedLink() : script(std::make_shared<DeviceScript>()) {
        setLinkClock(&clock);
        setDeviceOpener([s = script](int, const std::string&) -> std::unique_ptr<ByteDevice> {
            return std::make_unique<ScriptedDevice>(s);
        });
    }
    ~ScriptedLink() {
        CloseComm();
        setProcessMessages({});
        setDeviceOpener({});
        setLinkClock(nullptr);
    }
    ScriptedLink(const ScriptedLink&) = delete;
    ScriptedLink& operator=(const ScriptedLink&) = delete;

    FakeClock clock;
    std::shared_ptr<DeviceScript> script;
};

inline std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

inline std::vector<uint8_t> hexBytes(const std::string& hex) {
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < hex.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace linktest
