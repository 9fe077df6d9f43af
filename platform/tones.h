// Alert sounds as the sound facility plays them: a few tones of one pitch
// and length each, with a short silence between two tones.
#pragma once

#include <vector>

struct CTone {
    unsigned hz = 600;
    unsigned ms = 500;
    bool operator==(const CTone&) const = default;
};
using CToneSequence = std::vector<CTone>;

// The silence between two tones of one sequence, so that they are heard as
// separate beeps.
inline constexpr unsigned kTonePauseMs = 150;

// The new-message beep.
inline constexpr CTone kBeepTone{600, 500};
