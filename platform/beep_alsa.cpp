// The new-message beep: a 600 Hz sine for 500 ms on the ALSA "default" device.

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "beep.h"

namespace {

constexpr unsigned kRate = 48000;
constexpr double kFrequency = 600.0;
constexpr unsigned kDurationMs = 500;
constexpr double kAmplitude = 0.4 * 32767;

// ALSA reports a missing device on stderr; the beep is meant to be silent then.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

std::vector<int16_t> SineSamples()
{
    const unsigned count = kRate * kDurationMs / 1000;
    std::vector<int16_t> samples(count);
    for (unsigned i = 0; i < count; ++i) {
        const double phase = 2.0 * std::numbers::pi * kFrequency * i / kRate;
        samples[i] = static_cast<int16_t>(std::lround(kAmplitude * std::sin(phase)));
    }
    return samples;
}

}  // namespace

void PlayBeep()
{
    static const std::vector<int16_t> samples = SineSamples();
    snd_lib_error_set_handler(QuietAlsaErrors);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate, 1, 100000) == 0) {
        const int16_t* next = samples.data();
        snd_pcm_uframes_t left = samples.size();
        while (left > 0) {
            snd_pcm_sframes_t written = snd_pcm_writei(pcm, next, left);
            if (written < 0)
                written = snd_pcm_recover(pcm, static_cast<int>(written), 1);
            if (written < 0)
                break;
            next += written;
            left -= static_cast<snd_pcm_uframes_t>(written);
        }
        snd_pcm_drain(pcm);
    }
    snd_pcm_close(pcm);
}
