#include "app/globals.h"

bool ControllerFound = false;
std::string ControllerID;
int ScanCommNo = 0;
std::string ScanBaudRate;
int ScanBaudRateNo = 0;
std::string ScanCardID;
std::string LanguageFlag;
int LanguageNo = 0;
bool TestRunning = false;
