#pragma once
// One request and reply over the open port.
#include <cstdint>
#include <functional>
#include <string>

constexpr int RxBufSize = 1024;
constexpr int ReplyTimeoutMs = 200;

extern uint8_t RxBuf[RxBufSize];
extern int RxPos;            // bytes of the current reply; its length after success
extern std::string RxText;   // last frame that passed the structure test, ETX..CR

// Called once per empty read while a reply is awaited, so that the window can
// process its pending messages. Empty: nothing is called.
void setProcessMessages(std::function<void()> callback);

// Sends payload in a request frame; with awaitReply waits up to 200 ms for a
// reply frame and returns true only when one with a valid CRC arrived.
bool SendCommand(const std::string& payload, bool awaitReply = true);
