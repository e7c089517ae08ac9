#pragma once
// One line per figure: name, measured value, limit, and value/limit.
#include <cstdio>
#include <string>

inline void reportRatio(const std::string& name, double value, double limit, const char* unit) {
    std::printf("%-58s %10.3f %-3s limit %10.3f %-3s ratio %6.3f %s\n", name.c_str(), value, unit,
                limit, unit, value / limit, value <= limit ? "ok" : "OVER");
    std::fflush(stdout);
}

// A figure against the fixed pauses it cannot go below: the ratio shows how
// much the program adds on top of them.
inline void reportAgainstFloor(const std::string& name, double value, double floor, const char* unit) {
    std::printf("%-58s %10.3f %-3s fixed %10.3f %-3s ratio %6.3f\n", name.c_str(), value, unit, floor, unit,
                value / floor);
    std::fflush(stdout);
}
