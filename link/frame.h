#pragma once
// Request and reply frames: SOH payload STX crc CR and ETX payload EOT crc CR,
// with CRC-16/ARC written as four upper-case hexadecimal digits.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t SOH = 0x01, STX = 0x02, ETX = 0x03, EOT = 0x04, CR = 0x0D;

// CRC-16/ARC, a byte at a time through the split low/high tables.
uint16_t crc16Arc(const uint8_t* data, std::size_t count, uint16_t crc = 0);

// CRC of the request being sent: [0] low byte, [1] high byte.
extern uint8_t RequestCrc[2];
void CalcRequestCrc(const uint8_t* payload, int length);

// Two upper-case digits of a byte, high nibble first.
std::array<char, 2> ByteToHex(uint8_t value);

// Four digits of a CRC: high byte first, each high nibble first.
std::string crcDigits(uint16_t crc);

// The whole request frame for a payload (n + 7 bytes).
std::vector<uint8_t> buildRequestFrame(const std::string& payload);
// The whole reply frame for a reply payload; used by the simulator and tests.
std::vector<uint8_t> buildReplyFrame(const std::string& payload);

// Checks the CRC of the reply held in RxBuf (see exchange.h).
bool CheckReplyCrc();
