#pragma once
// The window's look, the same on every machine: Fusion drawing, the classic
// desktop colours and the two old sans-serif font names mapped onto installed
// fonts (with a CJK font behind them for the Chinese texts).
class QApplication;

void applyClassicLook(QApplication& app);

// The family the old font names stand for, and the whole fallback list.
constexpr const char* SansFamily = "DejaVu Sans Condensed";
constexpr const char* CjkFamily = "WenQuanYi Micro Hei";
