#include "link/frame.h"

#include "link/exchange.h"

namespace {

// The standard CRC-16/ARC table (reflected 0x8005), split into its low and
// high bytes as the byte-wise update below wants them.
struct CrcTables {
    uint8_t low[256];
    uint8_t high[256];
    constexpr CrcTables() : low(), high() {
        for (int i = 0; i < 256; ++i) {
            uint16_t crc = static_cast<uint16_t>(i);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
            low[i] = static_cast<uint8_t>(crc & 0xFF);
            high[i] = static_cast<uint8_t>(crc >> 8);
        }
    }
};
constexpr CrcTables kTables;

void crcStep(uint8_t& low, uint8_t& high, uint8_t byte) {
    const uint8_t index = low ^ byte;
    low = kTables.low[index] ^ high;
    high = kTables.high[index];
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::vector<uint8_t> buildFrame(uint8_t start, uint8_t mark, const std::string& payload) {
    std::vector<uint8_t> frame;
    frame.reserve(payload.size() + 7);
    frame.push_back(start);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(mark);
    const std::string digits = crcDigits(crc16Arc(frame.data(), frame.size()));
    frame.insert(frame.end(), digits.begin(), digits.end());
    frame.push_back(CR);
    return frame;
}

}  // namespace

uint8_t RequestCrc[2] = {0, 0};

uint16_t crc16Arc(const uint8_t* data, std::size_t count, uint16_t crc) {
    uint8_t low = static_cast<uint8_t>(crc & 0xFF);
    uint8_t high = static_cast<uint8_t>(crc >> 8);
    for (std::size_t i = 0; i < count; ++i) crcStep(low, high, data[i]);
    return static_cast<uint16_t>((high << 8) | low);
}

void CalcRequestCrc(const uint8_t* payload, int length) {
    uint8_t low = 0, high = 0;
    crcStep(low, high, SOH);
    for (int i = 0; i < length; ++i) crcStep(low, high, payload[i]);
    crcStep(low, high, STX);
    RequestCrc[0] = low;
    RequestCrc[1] = high;
}

std::array<char, 2> ByteToHex(uint8_t value) {
    return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

std::string crcDigits(uint16_t crc) {
    const auto high = ByteToHex(static_cast<uint8_t>(crc >> 8));
    const auto low = ByteToHex(static_cast<uint8_t>(crc & 0xFF));
    return {high[0], high[1], low[0], low[1]};
}

std::vector<uint8_t> buildRequestFrame(const std::string& payload) { return buildFrame(SOH, STX, payload); }

std::vector<uint8_t> buildReplyFrame(const std::string& payload) { return buildFrame(ETX, EOT, payload); }

bool CheckReplyCrc() {
    // CRC over ETX .. first EOT of the bytes received for this reply.
    int eot = -1;
    for (int i = 0; i < RxPos && i < RxBufSize; ++i) {
        if (RxBuf[i] == EOT) { eot = i; break; }
    }
    if (eot < 0) return false;
    const std::string expected = crcDigits(crc16Arc(RxBuf, static_cast<std::size_t>(eot) + 1));
    for (int k = 0; k < 4; ++k) {
        const int at = eot + 1 + k;
        if (at >= RxBufSize || RxBuf[at] != static_cast<uint8_t>(expected[k])) return false;
    }
    return true;
}
