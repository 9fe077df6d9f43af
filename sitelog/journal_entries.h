// What Tellvane writes to the site's log: every event the store accepted,
// and the agent's own events. All carry SYSLOG_IDENTIFIER=tellvane; the
// event texts go in as the bytes that arrived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "journal.h"
#include "peer.h"
#include "endpoint_state.h"
#include "simple_message.h"

inline constexpr std::string_view kSyslogIdentifier = "tellvane";

// MESSAGE "Alarm: Manipulation detected (Door 14 Archive)", PRIORITY by
// level, and the record's fields as TELLVANE_*, its sender's as
// TELLVANE_SENDER_PID / _UID where known.
CJournalEntry EventEntry(const CSimpleMessage& rec, const CPeer& sender);

// The agent's own events, named by TELLVANE_AGENT.
enum class AgentEvent {
    kStart,
    kReceiving,       // the endpoint's name taken
    kEndpointHeld,    // another process has the name
    kEndpointLost,    // ... after this one had it
    kSaveFailed,
    kRescueCopy,      // the store written to a rescue file
    kDamagedFile,     // a data file that could not be read whole set aside
    kSecondInstance,  // a second start refused
    kSenderRefused,   // a sender outside the allowed users
    kSenderListUnreadable,  // gSenderUids names no account: nobody let in
    kConnectionsRefused,  // connections beyond a user's bound, counted
    kOutOfFiles,      // the open-file limit met: no sender let in
    kLinesDropped,    // entries the site's log could not take in time
    kArchiveFailed,   // the event archive cannot be made or written
    kArchiveResumed,  // ... and is written again
    kArchiveSetAside, // a damaged archive set aside, a new one made
    kArchiveDropped,  // texts left out of the archive for want of room, counted
    kRecovered,       // texts of a run that ended without saving replayed
    kRecoverySkipped, // ... or not, as the data file is not the one last saved
    kExit,
};

CJournalEntry AgentEntry(AgentEvent event, std::string_view message);

// "Not receiving events: the endpoint zqevent is held by process 1234
// (user alice)", or "... is held by a process that could not be
// identified"; out of files, "Not receiving events: too many open
// connections (user alice holds 64)". Once the name is taken, or there is
// room again: "Receiving events on the endpoint zqevent".
std::string EndpointNotice(std::string_view name, const CEndpointState& state);

CJournalEntry EndpointEntry(std::string_view name, const CEndpointState& state, bool wasReceiving);

// Both look the user's name up: build them on the site log's thread
// (CSiteLog::Post), never on a connection thread.
CJournalEntry SenderRefusedEntry(const CPeer& sender);
CJournalEntry ConnectionsRefusedEntry(const CPeer& sender, std::size_t refused);
