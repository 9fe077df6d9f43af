// Shared by the intake tests: a server on a name of its own, the queue's
// contents, and waiting for something another thread does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "intake_queue.h"
#include "pipe_server.h"
#include "tellvane_send_client.h"
#include "wait_until.h"

// A name no other test process uses, so tests can run side by side.
std::string UniqueEndpointName();

std::string LastQueuedText();

// An event text described by tag; type 1, so the store never drops it as a
// duplicate.
std::string TaggedEvent(int time, const std::string& tag);
// The descriptions of the stored records, in the order they arrived.
std::vector<std::string> StoredDescriptions();
// The same of the data file in folder, which the load puts in the store's place.
std::vector<std::string> SavedDescriptions(const std::string& folder);

// Sends texts on one connection to endpoint, each after the last one's
// answer, as the lock software does; how many were answered "OK" before the
// first that was not.
int SendAnswered(const std::string& endpoint, const std::vector<std::string>& texts);

// Keeps the calling thread, and the threads started after it by it or by
// them, on one processor while it lives, where the system lets a test do
// so. A thread that wakes another then mostly hands it the processor at
// once, which brings out races that need an untimely pause.
class COneProcessor {
public:
    COneProcessor();
    ~COneProcessor();
    COneProcessor(const COneProcessor&) = delete;
    COneProcessor& operator=(const COneProcessor&) = delete;

private:
    std::vector<unsigned char> m_saved;  // the affinity to restore, as the system keeps it
};

// Threads of this process, where the system can tell; -1 elsewhere.
// It and CurrentProcessId come from the platform's support file.
int ProcessThreadCount();
unsigned long CurrentProcessId();
// Whether the system tells the processes at the ends of an endpoint.
bool PeerProcessesKnown();

// Another process's stand-in that takes an endpoint name first.
class CSquatter {
public:
    explicit CSquatter(const std::string& name);
    ~CSquatter() { Leave(); }
    CSquatter(const CSquatter&) = delete;
    CSquatter& operator=(const CSquatter&) = delete;

    bool Holds() const { return m_handle != -1; }
    // Gives the name up.
    void Leave();

private:
    std::intptr_t m_handle = -1;  // socket or pipe HANDLE
};

// The endpoint states a server reports, collected across its threads.
class CEndpointLog {
public:
    void Add(const CEndpointState& state)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_states.push_back(state);
    }
    std::vector<CEndpointState> States()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_states;
    }

private:
    std::mutex m_mutex;
    std::vector<CEndpointState> m_states;
};

// Starts a server on name that reports its endpoint states to log.
bool StartWatchedServer(const std::string& name, CEndpointLog& log);

// Runs a server for each test and plays the GUI thread's part: it collects
// the ids of ended connection threads so the test can join them.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A connected sender; fails the test when nothing listens.
    std::unique_ptr<CSenderConnection> Connect();

    // Sends text and expects the reply "OK".
    void ExpectAnswered(CSenderConnection& sender, const std::string& text);

    // Waits for count connection threads to report their end and joins them
    // as the GUI thread would.
    void JoinEnded(std::size_t count);

    std::string m_strName;
    std::mutex m_EndedMutex;
    std::vector<ConnectionId> m_ended;
};
