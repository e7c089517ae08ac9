#pragma once
// A sine tone of the given frequency and duration on the default sound device;
// returns when the tone has ended (silently waiting when there is no device).
#include <cstdint>
#include <functional>
#include <vector>

constexpr int HighBeepHz = 1000, LowBeepHz = 300, BeepMs = 300;

void Beep(int frequencyHz, int durationMs);

// Samples of such a tone (signed 16-bit mono at sampleRate).
std::vector<int16_t> sineTone(int frequencyHz, int durationMs, int sampleRate);

// Replaces the sound output, e.g. to record the tones in tests; empty: the
// real device again.
void setBeepSink(std::function<void(int frequencyHz, int durationMs)> sink);
