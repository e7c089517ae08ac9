#pragma once
// State shared by the window and its operations; one instance each, used on
// the GUI thread only.
#include <string>

extern bool ControllerFound;     // set only by a complete identification
extern std::string ControllerID; // two characters from the find reply
extern int ScanCommNo;           // COM number of the last find; 0: none
extern std::string ScanBaudRate; // line-settings text used with ScanCommNo
extern int ScanBaudRateNo;       // its index 0..11
extern std::string ScanCardID;   // mirror of edCardID
extern std::string LanguageFlag; // stored language text, kept as read
extern int LanguageNo;           // 0 English, 1 simplified, 2 traditional Chinese
extern bool TestRunning;         // a continuous test runs; clearing it stops it
