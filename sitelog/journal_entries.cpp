#include "journal_entries.h"

#include <chrono>
#include <cstdio>

#include "event_level.h"

namespace {

CJournalField Field(std::string_view name, std::string value) { return {name, std::move(value)}; }

CJournalField Field(std::string_view name, int64_t value) { return Field(name, std::to_string(value)); }

// The event's own time as 2011-03-07T14:05:09Z.
std::string IsoTimeUtc(int32_t ttime)
{
    using namespace std::chrono;
    const sys_seconds time{seconds{ttime}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss<seconds> clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

// "Alarm: Manipulation detected (Door 14 Archive)"; levels without a type
// text go without the prefix.
std::string EventMessage(const CSimpleMessage& rec)
{
    const std::string type = TypeText(rec.level);
    std::string message = type.empty() ? rec.desc : type + ": " + rec.desc;
    if (!rec.lockName.empty())
        message += " (" + rec.lockName + ")";
    return message;
}

// The names of a peer's fields, e.g. TELLVANE_SENDER_PID and _UID; a
// Windows peer has an account (SID and name) instead of a user id.
struct CPeerFieldNames {
    std::string_view m_pid, m_uid, m_sid, m_account;
};
constexpr CPeerFieldNames kSenderFields{"TELLVANE_SENDER_PID", "TELLVANE_SENDER_UID", "TELLVANE_SENDER_SID",
                                        "TELLVANE_SENDER_ACCOUNT"};
constexpr CPeerFieldNames kHolderFields{"TELLVANE_HOLDER_PID", "TELLVANE_HOLDER_UID", "TELLVANE_HOLDER_SID",
                                        "TELLVANE_HOLDER_ACCOUNT"};

// account: the peer's account name, when the peer has a SID.
void AddPeer(CJournalEntry& entry, const CPeerFieldNames& names, const CPeer& peer, const std::string& account)
{
    if (peer.m_nPid >= 0)
        entry.push_back(Field(names.m_pid, peer.m_nPid));
    if (peer.m_nUid >= 0)
        entry.push_back(Field(names.m_uid, peer.m_nUid));
    if (!peer.m_strSid.empty()) {
        entry.push_back(Field(names.m_sid, peer.m_strSid));
        entry.push_back(Field(names.m_account, account));
    }
}

// "process 1234 (user alice)"
std::string ProcessText(const CPeer& peer, const std::string& user)
{
    std::string text = "process " + std::to_string(peer.m_nPid);
    if (!user.empty())
        text += " (user " + user + ")";
    return text;
}

struct CAgentEventInfo {
    std::string_view m_name;
    int m_nPriority;
};

CAgentEventInfo Info(AgentEvent event)
{
    switch (event) {
    case AgentEvent::kStart: return {"start", 6};
    case AgentEvent::kReceiving: return {"receiving", 6};
    case AgentEvent::kEndpointHeld: return {"endpoint-held", 4};
    case AgentEvent::kEndpointLost: return {"endpoint-lost", 4};
    case AgentEvent::kSaveFailed: return {"save-failed", 3};
    case AgentEvent::kRescueCopy: return {"rescue-copy", 4};
    case AgentEvent::kDamagedFile: return {"damaged-file", 4};
    case AgentEvent::kSecondInstance: return {"second-instance", 5};
    case AgentEvent::kSenderRefused: return {"sender-refused", 4};
    case AgentEvent::kSenderListUnreadable: return {"sender-list-unreadable", 3};
    case AgentEvent::kConnectionsRefused: return {"connections-refused", 4};
    case AgentEvent::kOutOfFiles: return {"out-of-files", 3};
    case AgentEvent::kLinesDropped: return {"lines-dropped", 4};
    case AgentEvent::kArchiveFailed: return {"archive-failed", 3};
    case AgentEvent::kArchiveResumed: return {"archive-resumed", 5};
    case AgentEvent::kArchiveSetAside: return {"archive-set-aside", 4};
    case AgentEvent::kArchiveDropped: return {"archive-dropped", 4};
    case AgentEvent::kRecovered: return {"recovered", 5};
    case AgentEvent::kRecoverySkipped: return {"recovery-skipped", 4};
    case AgentEvent::kExit: return {"exit", 6};
    }
    return {"unknown", 6};
}

}  // namespace

CJournalEntry EventEntry(const CSimpleMessage& rec, const CPeer& sender)
{
    CJournalEntry entry{
        Field("MESSAGE", EventMessage(rec)),
        Field("PRIORITY", EventPriority(rec.level)),
        Field("SYSLOG_IDENTIFIER", std::string(kSyslogIdentifier)),
        Field("TELLVANE_LEVEL", rec.level),
        Field("TELLVANE_TYPE", rec.type),
        Field("TELLVANE_TIME", IsoTimeUtc(rec.ttime)),
        Field("TELLVANE_LOCKING", rec.lockName),
        Field("TELLVANE_LOCKING_SYSTEM", rec.sysName),
        Field("TELLVANE_DESCRIPTION", rec.desc),
        Field("TELLVANE_NAME", rec.name),
        Field("TELLVANE_TRANSPONDER", rec.trnsName),
        Field("TELLVANE_ADDRESS", rec.addr),
    };
    AddPeer(entry, kSenderFields, sender, sender.m_strSid.empty() ? std::string() : PeerUserName(sender));
    return entry;
}

CJournalEntry AgentEntry(AgentEvent event, std::string_view message)
{
    const CAgentEventInfo info = Info(event);
    return {
        Field("MESSAGE", std::string(message)),
        Field("PRIORITY", info.m_nPriority),
        Field("SYSLOG_IDENTIFIER", std::string(kSyslogIdentifier)),
        Field("TELLVANE_AGENT", std::string(info.m_name)),
    };
}

std::string EndpointNotice(std::string_view name, const CEndpointState& state)
{
    if (state.m_bReceiving)
        return "Receiving events on the endpoint " + std::string(name);
    if (state.m_bOutOfFiles) {
        std::string text = "Not receiving events: too many open connections";
        if (!state.m_strHolderUser.empty())
            text += " (user " + state.m_strHolderUser + " holds " + std::to_string(state.m_nHeldConnections) + ")";
        return text;
    }
    const std::string prefix = "Not receiving events: the endpoint " + std::string(name);
    if (state.m_Holder.m_nPid < 0)
        return prefix + " is held by a process that could not be identified";
    return prefix + " is held by " + ProcessText(state.m_Holder, state.m_strHolderUser);
}

CJournalEntry EndpointEntry(std::string_view name, const CEndpointState& state, bool wasReceiving)
{
    const AgentEvent event = state.m_bReceiving   ? AgentEvent::kReceiving
                             : state.m_bOutOfFiles ? AgentEvent::kOutOfFiles
                             : wasReceiving        ? AgentEvent::kEndpointLost
                                                   : AgentEvent::kEndpointHeld;
    CJournalEntry entry = AgentEntry(event, EndpointNotice(name, state));
    AddPeer(entry, kHolderFields, state.m_Holder, state.m_strHolderUser);
    if (state.m_bOutOfFiles)
        entry.push_back(Field("TELLVANE_CONNECTIONS", static_cast<int64_t>(state.m_nHeldConnections)));
    entry.push_back(Field("TELLVANE_ENDPOINT", std::string(name)));
    return entry;
}

CJournalEntry SenderRefusedEntry(const CPeer& sender)
{
    const std::string user = PeerUserName(sender);
    CJournalEntry entry = AgentEntry(AgentEvent::kSenderRefused,
                                     "Refused the texts of " + ProcessText(sender, user) + ": not an allowed sender");
    AddPeer(entry, kSenderFields, sender, user);
    return entry;
}

CJournalEntry ConnectionsRefusedEntry(const CPeer& sender, std::size_t refused)
{
    const std::string user = PeerUserName(sender);
    CJournalEntry entry = AgentEntry(AgentEvent::kConnectionsRefused,
                                     "Closed " + std::to_string(refused) +
                                         (refused == 1 ? " connection" : " connections") + " of user " + user +
                                         " unanswered: the user held as many as one may at once");
    AddPeer(entry, kSenderFields, sender, user);
    entry.push_back(Field("TELLVANE_CONNECTIONS", static_cast<int64_t>(refused)));
    return entry;
}
