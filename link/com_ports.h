#pragma once
// Where the program keeps its files and which device a COM number stands for.
#include <string>

// ${XDG_CONFIG_HOME:-$HOME/.config}/VELDO/QX530RM2Config
std::string configDirectory();

// The device of COM port n (1..16): the target of ports/COMn when the folder
// ports/ exists in the configuration folder (no link: empty text, the port does
// not exist), /dev/ttyS<n-1> otherwise. Out of range: empty text.
std::string comDevicePath(int portNumber, const std::string& configDir);
