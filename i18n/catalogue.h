#pragma once
// The 44 window messages in English, simplified and traditional Chinese.
#include <QString>

constexpr int MessageCount = 44;
constexpr int LanguageCount = 3;

// Message n (0..43) in language (0..2).
QString catalogueText(int message, int language);
// Message n in the current LanguageNo.
QString Msg(int message);
