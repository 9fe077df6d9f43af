// The alert sounds: sines on the ALSA "default" device, 16-bit mono.

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "beep.h"

namespace {

constexpr unsigned kRate = 48000;
constexpr double kAmplitude = 0.4 * 32767;

// ALSA reports a missing device on stderr; the beep is meant to be silent then.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void AppendSine(std::vector<int16_t>& samples, const CTone& tone)
{
    const unsigned count = kRate * tone.ms / 1000;
    for (unsigned i = 0; i < count; ++i) {
        const double phase = 2.0 * std::numbers::pi * tone.hz * i / kRate;
        samples.push_back(static_cast<int16_t>(std::lround(kAmplitude * std::sin(phase))));
    }
}

// One buffer for the whole sequence, pauses included, so the device is
// opened once and the pauses are exact.
std::vector<int16_t> SequenceSamples(const CToneSequence& tones)
{
    std::vector<int16_t> samples;
    for (size_t i = 0; i < tones.size(); ++i) {
        if (i > 0)
            samples.insert(samples.end(), kRate * kTonePauseMs / 1000, 0);
        AppendSine(samples, tones[i]);
    }
    return samples;
}

void PlaySamples(const std::vector<int16_t>& samples)
{
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

}  // namespace

void PlayBeep()
{
    static const std::vector<int16_t> samples = SequenceSamples({kBeepTone});
    PlaySamples(samples);
}

void PlayTones(const CToneSequence& tones)
{
    if (!tones.empty())
        PlaySamples(SequenceSamples(tones));
}
