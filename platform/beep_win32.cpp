#include <windows.h>

#include "beep.h"

void PlayBeep() { PlayTones({kBeepTone}); }

void PlayTones(const CToneSequence& tones)
{
    for (size_t i = 0; i < tones.size(); ++i) {
        if (i > 0)
            Sleep(kTonePauseMs);
        Beep(tones[i].hz, tones[i].ms);
    }
}
