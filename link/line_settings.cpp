#include "link/line_settings.h"

#include <charconv>

const char* const LineSettings[LineSettingsCount] = {
    "4800,n,8,1",  "4800,e,8,1",  "9600,n,8,1",   "9600,e,8,1",
    "19200,n,8,1", "19200,e,8,1", "38400,n,8,1",  "38400,e,8,1",
    "57600,n,8,1", "57600,e,8,1", "115200,n,8,1", "115200,e,8,1",
};

namespace {

struct SpeedEntry {
    int baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool speedFromBaud(int baud, speed_t& speed) {
    for (const auto& entry : kSpeeds) {
        if (entry.baud == baud) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<LineSetting> parseLineSettings(const std::string& text) {
    // Exactly four comma-separated pieces: decimal speed, n or e, 8, 1.
    const auto firstComma = text.find(',');
    if (firstComma == std::string::npos || firstComma == 0) return std::nullopt;
    const std::string rest = text.substr(firstComma);
    LineSetting setting;
    if (rest == ",n,8,1")
        setting.evenParity = false;
    else if (rest == ",e,8,1")
        setting.evenParity = true;
    else
        return std::nullopt;

    const char* begin = text.data();
    const char* end = begin + firstComma;
    if (*begin < '0' || *begin > '9') return std::nullopt;  // no sign, no blank
    const auto result = std::from_chars(begin, end, setting.baud);
    if (result.ec != std::errc() || result.ptr != end || setting.baud <= 0) return std::nullopt;
    return setting;
}

int lineSettingIndex(const std::string& text) {
    for (int i = 0; i < LineSettingsCount; ++i)
        if (text == LineSettings[i]) return i;
    return -1;
}

bool applyLineSetting(termios& tio, const LineSetting& setting) {
    speed_t speed;
    if (!speedFromBaud(setting.baud, speed)) return false;

    cfmakeraw(&tio);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);

    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    if (setting.evenParity) tio.c_cflag |= PARENB;

    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);

    // The descriptor is non-blocking and paced by poll(); with these an empty
    // read reports EAGAIN rather than an end of file.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return true;
}

int baudFromSpeed(speed_t speed) {
    for (const auto& entry : kSpeeds)
        if (entry.speed == speed) return entry.baud;
    return 0;
}
