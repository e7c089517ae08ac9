#pragma once
// The twelve line settings the controller knows, and the mapping of a
// "speed,parity,8,1" text onto termios.
#include <optional>
#include <string>
#include <termios.h>

constexpr int LineSettingsCount = 12;
constexpr int DefaultLineSettingIndex = 5;   // "19200,e,8,1"
extern const char* const LineSettings[LineSettingsCount];

struct LineSetting {
    int baud = 0;          // 4800 .. 115200
    bool evenParity = false;
};

// Parses "speed,parity,8,1" with parity n or e. Anything else: nullopt.
std::optional<LineSetting> parseLineSettings(const std::string& text);

// Index 0..11 of a text in LineSettings, or -1.
int lineSettingIndex(const std::string& text);

// Raw mode, the speed, the parity, 8 data bits, 1 stop bit, no flow control,
// receiver on, modem control lines ignored. False when the speed has no
// termios constant (the attributes are then left untouched).
bool applyLineSetting(termios& tio, const LineSetting& setting);

// The baud rate a termios speed constant stands for, or 0.
int baudFromSpeed(speed_t speed);
