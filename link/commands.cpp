#include "link/commands.h"

#include <cstdio>

namespace cmd {

std::string findController() { return FindAddress + "AC"; }
std::string answerCheck(const std::string& id) { return id + "AC"; }
std::string modelVersion(const std::string& id) { return id + "DB"; }
std::string serialNumber(const std::string& id) { return id + "AS"; }
std::string readClock(const std::string& id) { return id + "AB"; }

std::string clockDigits(const std::tm& localTime) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return text;
}

std::string setClock(const std::string& id, const std::tm& localTime) { return id + "AA" + clockDigits(localTime); }
std::string alarm(const std::string& id, int alarmIndex) { return id + "JF" + std::to_string(alarmIndex); }
std::string addReader(const std::string& id) { return id + "DCA11"; }

std::string cardRecord(const std::string& id, const std::string& cardId) {
    return id + "HA" + "000100000000" + cardId + "010XXXX0";
}

std::string factoryIH(const std::string& id) { return id + "IH"; }
std::string endTest(const std::string& id) { return id + "JD"; }
std::string factoryHK(const std::string& id) { return id + "HK"; }

char lineSettingCode(int index) {
    // One upper-case hexadecimal digit; there are only twelve settings.
    constexpr char digits[] = "0123456789AB";
    if (index < 0 || index >= static_cast<int>(sizeof digits) - 1) return '?';
    return digits[index];
}

std::string setLineSetting(const std::string& id, int index) { return id + "AE" + lineSettingCode(index); }
std::string pollOutput(const std::string& id, int output) { return id + "JC00" + std::to_string(output) + "10002"; }
std::string autoTestOutput(const std::string& id, int output) {
    return id + "JC00" + std::to_string(output) + "10005";
}
std::string poll(const std::string& id) { return id + "PJ"; }
std::string recordAck(const std::string& id) { return id + "IB"; }
std::string console(const std::string& id, const std::string& text) { return id + text; }

}  // namespace cmd

namespace reply {

std::string field(const std::string& rxText, int position, int length) {
    if (position < 1) position = 1;
    const auto start = static_cast<std::size_t>(position - 1);
    if (length <= 0 || start >= rxText.size()) return {};
    return rxText.substr(start, static_cast<std::size_t>(length));
}

std::string controllerId(const std::string& rxText) { return field(rxText, 6, 2); }
std::string modelText(const std::string& rxText) { return field(rxText, 6, 8); }
std::string versionText(const std::string& rxText) { return field(rxText, 14, 8); }
std::string serialText(const std::string& rxText) { return field(rxText, 6, 8); }

std::string clockText(const std::string& rxText) {
    return field(rxText, 6, 4) + "/" + field(rxText, 10, 2) + "/" + field(rxText, 12, 2) + "  " +
           field(rxText, 14, 2) + ":" + field(rxText, 16, 2) + ":" + field(rxText, 18, 2);
}

std::string inputStates(const std::string& rxText) { return field(rxText, 20, 4); }

bool inputActive(const std::string& states, int input) {
    if (input < 1 || input > static_cast<int>(states.size())) return false;
    return states[static_cast<std::size_t>(input - 1)] == '1';
}

std::string recordText(const std::string& rxText) {
    return field(rxText, 28, 1) + "-" + field(rxText, 29, 14) + "-" + field(rxText, 43, 4) + "-" +
           field(rxText, 47, 5);
}

}  // namespace reply
