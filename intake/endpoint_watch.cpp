#include "endpoint_watch.h"

CEndpointWatch::CEndpointWatch(std::string name, Receiver report)
    : m_strName(std::move(name)), m_report(std::move(report))
{
}

void CEndpointWatch::Taken()
{
    if (!m_bReported || (!m_Last.m_bReceiving && !m_Last.m_bOutOfFiles))
        Tell({true, {}, {}});
}

void CEndpointWatch::Held()
{
    const Clock::time_point now = Clock::now();
    const bool wasHeld = m_bReported && !m_Last.m_bReceiving && !m_Last.m_bOutOfFiles;
    if (wasHeld && now < m_nextLookup)
        return;
    m_nextLookup = now + kLookupPeriod;
    CEndpointState held;
    held.m_Holder = FindEndpointHolder(m_strName, wasHeld ? m_Last.m_Holder.m_nPid : -1);
    held.m_strHolderUser = PeerUserName(held.m_Holder);
    if (!wasHeld || held.m_Holder != m_Last.m_Holder || held.m_strHolderUser != m_Last.m_strHolderUser)
        Tell(held);
}

void CEndpointWatch::OutOfFiles(const CUserConnections& busiest)
{
    if (IsOutOfFiles() && busiest.m_nUid == m_Last.m_Holder.m_nUid)
        return;
    CEndpointState out;
    out.m_bOutOfFiles = true;
    out.m_Holder.m_nUid = busiest.m_nUid;
    out.m_strHolderUser = PeerUserName(out.m_Holder);
    out.m_nHeldConnections = busiest.m_nCount;
    Tell(out);
}

void CEndpointWatch::RoomAgain()
{
    if (IsOutOfFiles())
        Tell({true, {}, {}});
}

void CEndpointWatch::Tell(const CEndpointState& state)
{
    m_Last = state;
    m_bReported = true;
    if (m_report)
        m_report(state);
}
