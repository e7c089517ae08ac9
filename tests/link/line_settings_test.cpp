// Line-settings texts and their termios form.
#include <gtest/gtest.h>

#include "link/line_settings.h"

TEST(LineSettings, TableMapsOntoTermios) {
    struct Expected {
        const char* text;
        speed_t speed;
        bool even;
    };
    const Expected table[LineSettingsCount] = {
        {"4800,n,8,1", B4800, false},     {"4800,e,8,1", B4800, true},
        {"9600,n,8,1", B9600, false},     {"9600,e,8,1", B9600, true},
        {"19200,n,8,1", B19200, false},   {"19200,e,8,1", B19200, true},
        {"38400,n,8,1", B38400, false},   {"38400,e,8,1", B38400, true},
        {"57600,n,8,1", B57600, false},   {"57600,e,8,1", B57600, true},
        {"115200,n,8,1", B115200, false}, {"115200,e,8,1", B115200, true},
    };
    for (int i = 0; i < LineSettingsCount; ++i) {
        const auto& e = table[i];
        SCOPED_TRACE(e.text);
        EXPECT_STREQ(LineSettings[i], e.text);
        EXPECT_EQ(lineSettingIndex(e.text), i);

        const auto setting = parseLineSettings(e.text);
        ASSERT_TRUE(setting);
        EXPECT_EQ(setting->evenParity, e.even);

        // Start from a line with everything switched on that must go.
        termios tio{};
        tio.c_cflag = PARODD | CSTOPB | CRTSCTS | CS5 | HUPCL;
        tio.c_iflag = IXON | IXOFF | ICRNL;
        tio.c_lflag = ICANON | ECHO;
        tio.c_oflag = OPOST;
        cfsetispeed(&tio, B300);
        cfsetospeed(&tio, B300);
        ASSERT_TRUE(applyLineSetting(tio, *setting));

        EXPECT_EQ(cfgetispeed(&tio), e.speed);
        EXPECT_EQ(cfgetospeed(&tio), e.speed);
        EXPECT_EQ(baudFromSpeed(cfgetospeed(&tio)), setting->baud);
        EXPECT_EQ((tio.c_cflag & PARENB) != 0, e.even);
        EXPECT_EQ(tio.c_cflag & PARODD, 0u);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
        EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    }
    EXPECT_EQ(lineSettingIndex("19200,e,8,1"), DefaultLineSettingIndex);
}

TEST(LineSettings, RejectedTexts) {
    for (const char* text : {"", "19200", "19200,e,8", "19200,o,8,1", "19200,E,8,1", "19200,n,7,1",
                             "19200,n,8,2", "19200,n,8,1,", " 19200,n,8,1", "19200 ,n,8,1", "-9600,n,8,1",
                             "+9600,n,8,1", "0,n,8,1", ",n,8,1", "fast,n,8,1", "99999999999,n,8,1",
                             "9600,,8,1", "9600;n;8;1"}) {
        EXPECT_FALSE(parseLineSettings(text)) << '"' << text << '"';
        EXPECT_EQ(lineSettingIndex(text), -1);
    }
}

TEST(LineSettings, SpeedWithoutConstantLeavesTermiosAlone) {
    const auto setting = parseLineSettings("12345,n,8,1");
    ASSERT_TRUE(setting);
    termios tio{};
    tio.c_cflag = CS7 | PARODD;
    const termios before = tio;
    EXPECT_FALSE(applyLineSetting(tio, *setting));
    EXPECT_EQ(tio.c_cflag, before.c_cflag);
    EXPECT_EQ(baudFromSpeed(static_cast<speed_t>(0xFFFFFF)), 0);
}
