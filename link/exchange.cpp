#include "link/exchange.h"

#include <cstring>

#include "link/frame.h"
#include "link/link_clock.h"
#include "link/serial_port.h"

uint8_t RxBuf[RxBufSize];
int RxPos = 0;
std::string RxText;

namespace {

std::function<void()> processMessages;

// A request frame carries at most 255 payload bytes.
constexpr std::size_t MaxPayloadLength = 255;

// The smallest reply has four payload bytes between ETX (position 1) and EOT.
constexpr int MinEtxToEot = 4;

void sendRequest(const std::string& payload) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(payload.data());
    const int length = static_cast<int>(payload.size());
    CalcRequestCrc(bytes, length);
    const auto high = ByteToHex(RequestCrc[1]);
    const auto low = ByteToHex(RequestCrc[0]);

    WriteCommByte(SOH);
    WriteCommBlock(bytes, length);
    WriteCommByte(STX);
    WriteCommByte(high[0]);
    WriteCommByte(high[1]);
    WriteCommByte(low[0]);
    WriteCommByte(low[1]);
    WriteCommByte(CR);
}

// One read with the port's short time-out. Without a port there is nothing
// to read, but the wait still takes its time so the loop keeps its pace.
int readOneByte(uint8_t& byte) {
    if (ByteDevice* device = CommHandle()) return device->readByte(byte);
    Sleep(1);
    return 0;
}

}  // namespace

void setProcessMessages(std::function<void()> callback) { processMessages = std::move(callback); }

bool SendCommand(const std::string& payload, bool awaitReply) {
    std::memset(RxBuf, 0, sizeof RxBuf);
    RxPos = 0;
    // A longer payload cannot be framed as the controller expects; refuse it
    // whole rather than send a cut-down command.
    if (payload.size() > MaxPayloadLength) return false;

    sendRequest(payload);
    RxPos = 0;

    if (!awaitReply) {
        WaitMs(10);
        return true;
    }

    LinkClock& clock = linkClock();
    const uint32_t start = clock.nowMs();
    // Positions (1-based) of the last ETX and the last EOT stored. They are
    // full ints so that the comparison holds for frames of any length.
    int etxMark = 0;
    int eotMark = 0;
    uint32_t elapsed = 0;
    do {
        uint8_t byte = 0;
        if (readOneByte(byte) == 1) {
            if (byte == ETX) RxPos = 0;  // a new frame starts; the EOT mark stays
            RxBuf[RxPos++] = byte;
            if (RxPos >= RxBufSize) {
                RxPos = 0;
                return false;
            }
            if (byte == ETX) etxMark = RxPos;
            if (byte == EOT) eotMark = RxPos;
            if (byte == CR) {
                if (etxMark == 0 || eotMark == 0 || eotMark <= etxMark + MinEtxToEot) return false;
                RxBuf[RxPos] = 0;
                RxText = reinterpret_cast<const char*>(RxBuf);
                return CheckReplyCrc();
            }
        } else {
            if (processMessages) processMessages();
            elapsed = clock.nowMs() - start;
        }
    } while (elapsed <= static_cast<uint32_t>(ReplyTimeoutMs));
    return false;
}
