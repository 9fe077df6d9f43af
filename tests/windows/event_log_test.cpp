// The site's log on Windows: the Application event log, source "Tellvane".
// Wine keeps no log a test could read back, so the calls' success is what
// can be checked here.
#include <gtest/gtest.h>

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
