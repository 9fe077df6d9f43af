// Plays alert sounds on a thread of its own, so that a sound never holds up
// the window: an alarm's three tones take almost two seconds.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "tones.h"

class CTonePlayer {
public:
    using Sink = std::function<void(const CToneSequence&)>;

    // sink plays one sequence and returns when it has played.
    explicit CTonePlayer(Sink sink);
    // Lets the sound in progress finish; one still waiting is dropped.
    ~CTonePlayer();
    CTonePlayer(const CTonePlayer&) = delete;
    CTonePlayer& operator=(const CTonePlayer&) = delete;

    // Returns at once. While a sound plays, one more waits for its turn: a
    // newer sound takes its place unless it has fewer tones, so that a beep
    // arriving behind an alarm cannot drown it.
    void Play(CToneSequence tones);

private:
    void Run();

    Sink m_sink;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<CToneSequence> m_pending;
    bool m_bStop = false;
    std::thread m_thread;  // started by the first sound
};

// The process's player, playing on the sound device (PlayTones).
CTonePlayer& SoundPlayer();
