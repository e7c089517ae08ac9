#pragma once
// The controller's command payloads and the reply fields the program reads.
// Every payload is address + command letters + argument, sent as built.
#include <ctime>
#include <string>

namespace cmd {

inline const std::string FindAddress = "00";

std::string findController();                                    // "00AC"
std::string answerCheck(const std::string& id);                  // id "AC"
std::string modelVersion(const std::string& id);                 // id "DB"
std::string serialNumber(const std::string& id);                 // id "AS"
std::string readClock(const std::string& id);                    // id "AB"
std::string clockDigits(const std::tm& localTime);               // "yyyymmddhhnnss"
std::string setClock(const std::string& id, const std::tm& localTime);  // id "AA" digits
std::string alarm(const std::string& id, int alarmIndex);        // id "JF" digit 0..6
std::string addReader(const std::string& id);                    // id "DCA11"
std::string cardRecord(const std::string& id, const std::string& cardId);  // id "HA000100000000" card "010XXXX0"
std::string factoryIH(const std::string& id);                    // id "IH"
std::string endTest(const std::string& id);                      // id "JD"
std::string factoryHK(const std::string& id);                    // id "HK"
char lineSettingCode(int index);                                  // '0'..'9','A','B'
std::string setLineSetting(const std::string& id, int index);    // id "AE" code
std::string pollOutput(const std::string& id, int output);       // id "JC00" n "10002"
std::string autoTestOutput(const std::string& id, int output);   // id "JC00" n "10005"
std::string poll(const std::string& id);                          // id "PJ"
std::string recordAck(const std::string& id);                    // id "IB"
std::string console(const std::string& id, const std::string& text);  // id text

}  // namespace cmd

namespace reply {

constexpr int AcFrameLength = 13;
constexpr int AbFrameLength = 26;
constexpr int PjShortFrameLength = 33;
constexpr int PjLongFrameLength = 57;

// 1-based substring of a reply frame (position 1 is the ETX). Positions past
// the end give a shorter or empty text, never an error.
std::string field(const std::string& rxText, int position, int length);

std::string controllerId(const std::string& rxText);   // AC: 6..7
std::string modelText(const std::string& rxText);      // DB: 6..13
std::string versionText(const std::string& rxText);    // DB: 14..21
std::string serialText(const std::string& rxText);     // AS: 6..13
// AB and PJ: "yyyy/mm/dd  hh:nn:ss" from positions 6..19.
std::string clockText(const std::string& rxText);
std::string inputStates(const std::string& rxText);    // PJ: 20..23
bool inputActive(const std::string& states, int input);  // input 1..4: "1" active
// PJ of 57 bytes: fields 28, 29..42, 43..46, 47..51 joined by "-".
std::string recordText(const std::string& rxText);

}  // namespace reply
