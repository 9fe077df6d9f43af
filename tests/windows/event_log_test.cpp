// The site's log on Windows: the Application event log, source "Tellvane".
// Wine keeps no log a test could read back, so the calls' success is what
// can be checked here.
#include <windows.h>

#include <gtest/gtest.h>

#include "event_log_win32.h"

#include "journal_entries.h"
#include "site_log.h"

namespace {

using namespace std::chrono_literals;

CSimpleMessage Alarm()
{
    CSimpleMessage rec;
    rec.Parse("8,3,1299506709,Anna,Manipulation \xe4 detected,Site 1,Door 14 Archive,1,12,7,3,2,4711,0,Key,5,0,1,0,0,0,0");
    return rec;
}

}  // namespace

TEST(EventLog, TakesAnErrorAWarningAndAnInformation)
{
    for (int32_t level : {kLevelAlarm, kLevelWarning, kLevelMessage}) {
        CSimpleMessage rec = Alarm();
        rec.level = level;
        EXPECT_TRUE(WriteJournalEntry(EventEntry(rec, {1234, -1}))) << "level " << level;
    }
    EXPECT_TRUE(WriteJournalEntry(AgentEntry(AgentEvent::kStart, "Tellvane started")));
}

TEST(EventLog, IsWrittenThroughTheLogsOwnThread)
{
    CSiteLog log;
    log.SetEnabled(true);
    EXPECT_TRUE(log.Post([] { return EventEntry(Alarm(), {}); }));
    EXPECT_TRUE(log.Flush(10s));
}

// Each level goes in as its own event type, with the event id of the
// message of that severity, and its text reads as it does on screen.
TEST(EventLog, LevelsGoInWithTheirTypeAndTheirMessagesEventId)
{
    struct CCase {
        int32_t m_nLevel;
        WORD m_nType;
        DWORD m_nSeverity;  // the event id's top two bits
    };
    for (const CCase& test : {CCase{kLevelAlarm, EVENTLOG_ERROR_TYPE, 3}, CCase{kLevelWarning, EVENTLOG_WARNING_TYPE, 2},
                              CCase{kLevelMessage, EVENTLOG_INFORMATION_TYPE, 1}}) {
        CSimpleMessage rec = Alarm();
        rec.level = test.m_nLevel;
        const CEventLogRecord record = EventLogRecord(EventEntry(rec, {1234, -1, "S-1-5-18"}));
        EXPECT_EQ(record.m_nType, test.m_nType) << test.m_nLevel;
        EXPECT_EQ(record.m_nEventId >> 30, test.m_nSeverity) << test.m_nLevel;
        EXPECT_NE(record.m_strText.find(L"TELLVANE_SENDER_SID=S-1-5-18"), std::wstring::npos);
    }
    // Not UTF-8: the ANSI code page; UTF-8: as it is.
    wchar_t ansi[2] = {};
    MultiByteToWideChar(CP_ACP, 0, "\xe4", 1, ansi, 1);
    EXPECT_EQ(EventLogRecord(EventEntry(Alarm(), {})).m_strText.substr(0, 24),
              std::wstring(L"Alarm: Manipulation ") + ansi + L" de");
    EXPECT_EQ(EventLogRecord(AgentEntry(AgentEvent::kStart, "T\xc3\xa9st")).m_strText.substr(0, 4), L"T\u00e9st");
}
