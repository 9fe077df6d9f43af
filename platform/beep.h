// The new-message tone.
#pragma once

// A 600 Hz tone for 500 ms; returns when it has played. Silent when no
// sound device can be opened.
void PlayBeep();
