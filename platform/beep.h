// The new-message tone, and any sequence of tones.
#pragma once

#include "tones.h"

// A 600 Hz tone for 500 ms; returns when it has played. Silent when no
// sound device can be opened.
void PlayBeep();

// Plays the tones in order, kTonePauseMs apart; returns when they have
// played. Silent when no sound device can be opened.
void PlayTones(const CToneSequence& tones);
