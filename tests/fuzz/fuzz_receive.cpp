// Feeds arbitrary line traffic through the device seam into the real
// SendCommand and checks what it reports against the bytes it was given.
//
// Input layout:
//   byte 0        number of exchanges (1..4, low two bits + 1)
//   byte 1        start of the fake millisecond counter, placed just before
//                 the 32-bit wrap so that the time limit is tried across it
//   per exchange  one length byte (0..15) and that many payload bytes
//   rest          the line script shared by all exchanges, one event each:
//                   0xFF n   (n < 0xFF) an empty read after which n further
//                            milliseconds have passed
//                   0xFF 0xFF  the byte 0xFF itself
//                   any other byte: that byte arrives
// Past the end of the script the line stays silent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/byte_device.h"
#include "link/exchange.h"
#include "link/frame.h"
#include "link/link_clock.h"
#include "link/serial_port.h"

namespace {

// The limit is checked after each empty read and the counter moves at least
// 1 ms per reading, so silence ends an exchange within this many reads.
constexpr int MaxEmptyReadsPerExchange = ReplyTimeoutMs + 2;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) fail(what);
}

struct Event {
    bool empty = false;
    uint8_t byte = 0;
    uint32_t gapMs = 0;   // for an empty read: extra time passed
};

// Every reading moves the counter on by 1 ms, pauses by their length; empty
// reads of the script add their own gaps.
class FuzzClock final : public LinkClock {
public:
    explicit FuzzClock(uint32_t start) : now(start) {}
    uint32_t nowMs() override { return now++; }
    void sleepMs(int milliseconds) override { now += static_cast<uint32_t>(milliseconds); }
    uint32_t now;
};

struct LineState {
    std::vector<Event> events;
    std::size_t next = 0;
    std::vector<uint8_t> written;
    std::vector<Event> log;   // what the current exchange took from the line
    long readsPastEnd = 0;
};

class FuzzDevice final : public ByteDevice {
public:
    FuzzDevice(LineState& line, FuzzClock& clock) : line_(line), clock_(clock) {}
    FuzzDevice(const FuzzDevice&) = delete;
    FuzzDevice& operator=(const FuzzDevice&) = delete;

    bool write(const uint8_t* data, std::size_t count) override {
        line_.written.insert(line_.written.end(), data, data + count);
        return true;
    }
    int readByte(uint8_t& byte) override {
        if (line_.next >= line_.events.size()) {
            ++line_.readsPastEnd;
            line_.log.push_back(Event{true, 0, 1});
            clock_.now += 1;   // a real empty read takes its millisecond
            return 0;
        }
        const Event& event = line_.events[line_.next++];
        line_.log.push_back(event);
        if (event.empty) {
            clock_.now += event.gapMs;
            return 0;
        }
        byte = event.byte;
        return 1;
    }

private:
    LineState& line_;
    FuzzClock& clock_;
};

// Installs the clock, the device and the message callback for one input and
// puts the link back as it found it, whatever path the run takes.
class FuzzLink {
public:
    FuzzLink(uint32_t clockStart, long& messageCount) : clock(clockStart) {
        setLinkClock(&clock);
        setDeviceOpener([this](int, const std::string&) -> std::unique_ptr<ByteDevice> {
            return std::make_unique<FuzzDevice>(line, clock);
        });
        setProcessMessages([&messageCount] { ++messageCount; });
    }
    ~FuzzLink() {
        CloseComm();
        setProcessMessages({});
        setDeviceOpener({});
        setLinkClock(nullptr);
    }
    FuzzLink(const FuzzLink&) = delete;
    FuzzLink& operator=(const FuzzLink&) = delete;

    FuzzClock clock;
    LineState line;
};

std::vector<Event> parseScript(const uint8_t* data, std::size_t size) {
    std::vector<Event> events;
    for (std::size_t i = 0; i < size; ++i) {
        Event event;
        if (data[i] == 0xFF && i + 1 < size) {
            const uint8_t next = data[++i];
            if (next == 0xFF) {
                event.byte = 0xFF;
            } else {
                event.empty = true;
                event.gapMs = next;
            }
        } else {
            event.byte = data[i];
        }
        events.push_back(event);
    }
    return events;
}

// The frame as the receive loop must have stored it: ETX first, CR last, the
// last EOT at 1-based position 6 or later, and the four digits after the first
// EOT equal to the CRC of ETX .. that EOT.
bool replyIsSound(const uint8_t* frame, int length) {
    if (length < 2 || frame[0] != ETX || frame[length - 1] != CR) return false;
    int firstEot = -1;
    int lastEot = -1;
    for (int i = 0; i < length; ++i) {
        if (frame[i] == EOT) {
            if (firstEot < 0) firstEot = i;
            lastEot = i;
        }
        if (frame[i] == CR && i != length - 1) return false;
        if (frame[i] == ETX && i != 0) return false;
    }
    if (firstEot < 0 || lastEot + 1 < 6) return false;
    if (firstEot + 4 >= length) return false;
    const std::string digits = crcDigits(crc16Arc(frame, static_cast<std::size_t>(firstEot) + 1));
    return std::memcmp(frame + firstEot + 1, digits.data(), 4) == 0;
}

// RxText as the loop sets it: the zero-terminated text at RxBuf[0].
std::string textAtBufferStart() {
    return {reinterpret_cast<const char*>(RxBuf), strnlen(reinterpret_cast<const char*>(RxBuf), RxBufSize)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t at = 0;
    const int exchanges = (data[at++] & 0x03) + 1;
    const uint32_t clockStart = 0xFFFFFF00u + data[at++];

    std::vector<std::string> payloads;
    for (int i = 0; i < exchanges && at < size; ++i) {
        const std::size_t wanted = data[at++] & 0x0F;
        const std::size_t length = std::min(wanted, size - at);
        payloads.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }

    // Nothing may carry over from the previous input.
    std::memset(RxBuf, 0, sizeof RxBuf);
    RxPos = 0;
    RxText.clear();

    long messages = 0;
    FuzzLink link(clockStart, messages);
    link.line.events = parseScript(data + at, size - at);
    if (!OpenComm(1, "19200,e,8,1")) fail("scripted port did not open");

    for (const std::string& payload : payloads) {
        const std::string textBefore = RxText;
        const std::size_t writtenBefore = link.line.written.size();
        const long pastEndBefore = link.line.readsPastEnd;
        const long messagesBefore = messages;
        link.line.log.clear();

        const bool ok = SendCommand(payload, true);

        const std::vector<Event>& log = link.line.log;
        long emptyReads = 0;
        int sinceEtx = 0;       // bytes the loop must hold: from the last ETX on
        int crCount = 0;
        for (const Event& event : log) {
            if (event.empty) {
                ++emptyReads;
                continue;
            }
            if (event.byte == ETX) sinceEtx = 0;
            ++sinceEtx;
            if (event.byte == CR) ++crCount;
        }
        const bool endedAtCr = !log.empty() && !log.back().empty && log.back().byte == CR;
        const bool overflow = !log.empty() && !log.back().empty && !endedAtCr;

        const std::vector<uint8_t> request(link.line.written.begin() + static_cast<std::ptrdiff_t>(writtenBefore),
                                           link.line.written.end());
        check(request == buildRequestFrame(payload), "request frame differs from the payload's frame");
        check(link.line.next <= link.line.events.size(), "read past the script");
        check(emptyReads <= MaxEmptyReadsPerExchange, "silence did not end the exchange in time");
        check(link.line.readsPastEnd - pastEndBefore <= MaxEmptyReadsPerExchange, "kept reading a silent line");
        check(messages - messagesBefore == emptyReads, "messages not processed once per empty read");
        // The first CR ends the exchange; nothing after it is taken from the line.
        check(crCount == (endedAtCr ? 1 : 0), "exchange went on past a CR");
        check(!overflow || sinceEtx == RxBufSize, "stopped reading before the buffer was full");
        check(RxPos >= 0 && RxPos < RxBufSize, "RxPos out of range");
        check(!ok || endedAtCr, "accepted without a CR");

        const std::string atStart = textAtBufferStart();
        if (ok) {
            check(RxPos == sinceEtx && RxBuf[RxPos] == 0, "accepted reply is not the bytes since the last ETX");
            check(replyIsSound(RxBuf, RxPos), "accepted reply fails the independent frame and CRC check");
            check(RxText == atStart, "RxText is not the text at RxBuf[0]");
            // A NUL inside the reply ends RxText early; without one, RxText is
            // the whole frame.
            if (std::memchr(RxBuf, 0, static_cast<std::size_t>(RxPos)) == nullptr) {
                check(static_cast<int>(RxText.size()) == RxPos, "RxText length differs from RxPos");
                check(RxText.front() == static_cast<char>(ETX) && RxText.back() == static_cast<char>(CR),
                      "RxText not ETX .. CR");
            }
        } else if (overflow) {
            check(RxPos == 0, "overflow left RxPos set");
            check(RxText == textBefore, "overflow changed RxText");
        } else if (RxText != textBefore) {
            // Only a frame that passed the structure test replaces RxText, and
            // then its CRC must have been wrong.
            check(endedAtCr, "RxText changed without a CR");
            check(RxText == atStart, "rejected RxText is not the text at RxBuf[0]");
            check(RxBuf[0] == ETX && RxPos >= 1 && RxBuf[RxPos - 1] == CR && RxBuf[RxPos] == 0,
                  "RxText changed without a complete frame");
            check(!replyIsSound(RxBuf, RxPos), "a sound reply was rejected");
        }
    }
    return 0;
}
