#include "tone_player.h"

#include "beep.h"

CTonePlayer::CTonePlayer(Sink sink) : m_sink(std::move(sink)) {}

CTonePlayer::~CTonePlayer()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void CTonePlayer::Play(CToneSequence tones)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_pending && m_pending->size() > tones.size())
            return;
        m_pending = std::move(tones);
        if (!m_thread.joinable())
            m_thread = std::thread(&CTonePlayer::Run, this);
    }
    m_wake.notify_one();
}

void CTonePlayer::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || m_pending; });
        if (m_bStop)
            return;
        CToneSequence tones = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        m_sink(tones);
        lock.lock();
    }
}

CTonePlayer& SoundPlayer()
{
    static CTonePlayer player(PlayTones);
    return player;
}
