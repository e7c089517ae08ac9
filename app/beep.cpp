#include "app/beep.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <numbers>
#include <thread>
#include <utility>

namespace {

constexpr unsigned SampleRate = 48000;
constexpr double Amplitude = 0.4 * 32767;   // loud enough, never clipping

std::function<void(int, int)>& beepSink() {
    static std::function<void(int, int)> sink;
    return sink;
}

// ALSA reports every failure on stderr by default; a machine without a sound
// device is normal here, so its messages are dropped.
void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

class PcmHandle {
public:
    PcmHandle() {
        static const bool quiet = (snd_lib_error_set_handler(silentAlsaError), true);
        (void)quiet;
        if (snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) pcm_ = nullptr;
    }
    ~PcmHandle() {
        if (pcm_) snd_pcm_close(pcm_);
    }
    PcmHandle(const PcmHandle&) = delete;
    PcmHandle& operator=(const PcmHandle&) = delete;
    snd_pcm_t* get() const { return pcm_; }

private:
    snd_pcm_t* pcm_ = nullptr;
};

// Plays the samples and waits until they have been heard; false on any failure.
bool play(const std::vector<int16_t>& samples) {
    PcmHandle pcm;
    if (!pcm.get()) return false;
    if (snd_pcm_set_params(pcm.get(), SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           SampleRate, 1, 100000) < 0)
        return false;
    std::size_t done = 0;
    while (done < samples.size()) {
        snd_pcm_sframes_t n = snd_pcm_writei(pcm.get(), samples.data() + done, samples.size() - done);
        if (n < 0) n = snd_pcm_recover(pcm.get(), int(n), 1);
        if (n < 0) return false;
        done += std::size_t(n);
    }
    return snd_pcm_drain(pcm.get()) >= 0;
}

} // namespace

std::vector<int16_t> sineTone(int frequencyHz, int durationMs, int sampleRate) {
    if (frequencyHz <= 0 || durationMs <= 0 || sampleRate <= 0) return {};
    const std::size_t count = std::size_t(int64_t(sampleRate) * durationMs / 1000);
    std::vector<int16_t> samples(count);
    const double step = 2 * std::numbers::pi * frequencyHz / sampleRate;
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = int16_t(std::lround(Amplitude * std::sin(step * double(i))));
    return samples;
}

void setBeepSink(std::function<void(int, int)> sink) { beepSink() = std::move(sink); }

void Beep(int frequencyHz, int durationMs) {
    if (beepSink()) {
        beepSink()(frequencyHz, durationMs);
        return;
    }
    if (durationMs <= 0) return;
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::milliseconds(durationMs);
    if (!play(sineTone(frequencyHz, durationMs, int(SampleRate))))
        std::this_thread::sleep_until(end);   // no sound device: the same wait, silently
}
