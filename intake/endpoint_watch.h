// What the listener tells its owner about the endpoint, and only when it
// changes: that it has the name; that another process holds it, and which
// (looked up again while it lasts, as a holder may leave and another come
// at once); or that the open-file limit keeps new senders out. Used by the
// listener thread alone: its look-ups read /proc and the user databases,
// which takes a full stack and may take time, so they are never made on a
// connection thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "connection_registry.h"
#include "endpoint_state.h"
#include "peer.h"

class CEndpointWatch {
public:
    using Clock = std::chrono::steady_clock;
    using Receiver = std::function<void(const CEndpointState&)>;

    // How often a held name's holder is looked up again.
    static constexpr Clock::duration kLookupPeriod = std::chrono::seconds(1);

    // report may be empty; nobody then hears.
    CEndpointWatch(std::string name, Receiver report);

    // The name is ours. Reports receiving unless the last report said the
    // process is out of files: that one lasts until RoomAgain.
    void Taken();

    // Another process has the name. The first time, and then at most once a
    // kLookupPeriod while it lasts, looks the holder up and reports when it
    // is another one, or could not be identified before, or now cannot be.
    void Held();

    // A sender waits, but the process may open no more files. busiest: the
    // user with the most open connections. Reported when the process was
    // not out of files before, or another user is now the busiest. The
    // user's name is looked up then, which needs a file of its own: call it
    // through WithReserveFile.
    void OutOfFiles(const CUserConnections& busiest);
    bool IsOutOfFiles() const { return m_bReported && m_Last.m_bOutOfFiles; }

    // A file could be opened again: reports receiving if out of files.
    void RoomAgain();

private:
    void Tell(const CEndpointState& state);

    std::string m_strName;
    Receiver m_report;
    bool m_bReported = false;
    CEndpointState m_Last;
    Clock::time_point m_nextLookup;
};
