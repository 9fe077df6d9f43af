// What a site's log pipeline filters on: fields, priorities, texts.
#include <gtest/gtest.h>

#include "journal_entries.h"
#include "site_settings.h"

namespace {

// An event as the worked example of a manipulation alarm has it.
CSimpleMessage Event(int32_t level)
{
    CSimpleMessage rec;
    rec.Parse("8,3,1299506709,Anna,Manipulation detected,Site 1,Door 14 Archive,1,12,7,3," + std::to_string(level)
              + ",4711,0,Key 4711,5,0,1,0,0,0,235");
    return rec;
}

std::string Value(const CJournalEntry& entry, std::string_view name)
{
    return std::string(JournalFieldValue(entry, name));
}

}  // namespace

TEST(JournalEntries, AnEventCarriesItsFieldsSenderAndThePriorityOfItsLevel)
{
    const CJournalEntry alarm = EventEntry(Event(kLevelAlarm), {4242, 1000});
    EXPECT_EQ(Value(alarm, "MESSAGE"), "Alarm: Manipulation detected (Door 14 Archive)");
    EXPECT_EQ(Value(alarm, "PRIORITY"), "2");
    EXPECT_EQ(Value(alarm, "SYSLOG_IDENTIFIER"), "tellvane");
    EXPECT_EQ(Value(alarm, "TELLVANE_LEVEL"), "2");
    EXPECT_EQ(Value(alarm, "TELLVANE_TYPE"), "3");
    EXPECT_EQ(Value(alarm, "TELLVANE_TIME"), "2011-03-07T14:05:09Z");
    EXPECT_EQ(Value(alarm, "TELLVANE_LOCKING"), "Door 14 Archive");
    EXPECT_EQ(Value(alarm, "TELLVANE_LOCKING_SYSTEM"), "Site 1");
    EXPECT_EQ(Value(alarm, "TELLVANE_DESCRIPTION"), "Manipulation detected");
    EXPECT_EQ(Value(alarm, "TELLVANE_NAME"), "Anna");
    EXPECT_EQ(Value(alarm, "TELLVANE_TRANSPONDER"), "Key 4711");
    EXPECT_EQ(Value(alarm, "TELLVANE_ADDRESS"), "5");
    EXPECT_EQ(Value(alarm, "TELLVANE_SENDER_PID"), "4242");
    EXPECT_EQ(Value(alarm, "TELLVANE_SENDER_UID"), "1000");

    EXPECT_EQ(Value(EventEntry(Event(kLevelWarning), {}), "PRIORITY"), "4");
    const CJournalEntry message = EventEntry(Event(kLevelMessage), {7, -1});
    EXPECT_EQ(Value(message, "PRIORITY"), "6");
    EXPECT_EQ(Value(message, "MESSAGE"), "Message: Manipulation detected (Door 14 Archive)");
    EXPECT_EQ(Value(message, "TELLVANE_SENDER_PID"), "7");
    for (const CJournalField& field : message)
        EXPECT_NE(field.m_strName, "TELLVANE_SENDER_UID") << "an unknown user is left out, not written as -1";
    const CJournalEntry other = EventEntry(Event(5), {});
    EXPECT_EQ(Value(other, "PRIORITY"), "6");
    EXPECT_EQ(Value(other, "MESSAGE"), "Manipulation detected (Door 14 Archive)");
}

TEST(JournalEntries, AHeldEndpointNamesItsHolderAndTakingItIsReceiving)
{
    CEndpointState held;
    held.m_Holder = {1234, 1001};
    held.m_strHolderUser = "alice";
    EXPECT_EQ(EndpointNotice("tellvane-test", held),
              "Not receiving events: the endpoint tellvane-test is held by process 1234 (user alice)");
    const CJournalEntry first = EndpointEntry("tellvane-test", held, false);
    EXPECT_EQ(Value(first, "TELLVANE_AGENT"), "endpoint-held");
    EXPECT_EQ(Value(first, "TELLVANE_HOLDER_PID"), "1234");
    EXPECT_EQ(Value(first, "TELLVANE_HOLDER_UID"), "1001");
    EXPECT_EQ(Value(EndpointEntry("tellvane-test", held, true), "TELLVANE_AGENT"), "endpoint-lost");
    EXPECT_EQ(EndpointNotice("tellvane-test", CEndpointState{}),
              "Not receiving events: the endpoint tellvane-test is held by a process that could not be identified");

    const CJournalEntry taken = EndpointEntry("tellvane-test", CEndpointState{true, {}, {}}, false);
    EXPECT_EQ(Value(taken, "TELLVANE_AGENT"), "receiving");
    EXPECT_EQ(Value(taken, "MESSAGE"), "Receiving events on the endpoint tellvane-test");
    EXPECT_EQ(Value(taken, "PRIORITY"), "6");
}

TEST(JournalEntries, OutOfFilesNamesTheBusiestUserAndRefusalsAreCounted)
{
    CEndpointState full;
    full.m_bOutOfFiles = true;
    full.m_Holder = {-1, 1001};
    full.m_strHolderUser = "alice";
    full.m_nHeldConnections = 64;
    EXPECT_EQ(EndpointNotice("tellvane-test", full), "Not receiving events: too many open connections (user alice holds 64)");
    const CJournalEntry entry = EndpointEntry("tellvane-test", full, true);
    EXPECT_EQ(Value(entry, "TELLVANE_AGENT"), "out-of-files");
    EXPECT_EQ(Value(entry, "PRIORITY"), "3");
    EXPECT_EQ(Value(entry, "TELLVANE_HOLDER_UID"), "1001");
    EXPECT_EQ(Value(entry, "TELLVANE_CONNECTIONS"), "64");

    const CJournalEntry refused = ConnectionsRefusedEntry({-1, 0}, 1036);
    EXPECT_EQ(Value(refused, "TELLVANE_AGENT"), "connections-refused");
    EXPECT_EQ(Value(refused, "MESSAGE"), "Closed 1036 connections of user " + PeerUserName({-1, 0}) +
                                             " unanswered: the user held as many as one may at once");
    EXPECT_EQ(Value(refused, "TELLVANE_SENDER_UID"), "0");
    EXPECT_EQ(Value(refused, "TELLVANE_CONNECTIONS"), "1036");
}

TEST(SiteSettings, AnEmptySenderListAllowsEveryoneAMistypedOneNobody)
{
    EXPECT_TRUE(ParseSenderList("").m_bEveryone);
    EXPECT_TRUE(ParseSenderList(" , ").m_bEveryone);
    // Spaces, tabs and commas in any mix; quotes keep a name with a space.
    EXPECT_EQ(SplitSenderList("0, 1000 1001"), (std::vector<std::string>{"0", "1000", "1001"}));
    EXPECT_EQ(SplitSenderList("0,,1000\t\"DOMAIN\\John Smith\",x "),
              (std::vector<std::string>{"0", "1000", "DOMAIN\\John Smith", "x"}));
    for (const char* mistyped : {"1000,no-such-account-x", "-1", "\"\""}) {
        const CSenderList senders = ParseSenderList(mistyped);
        EXPECT_FALSE(senders.m_bEveryone) << mistyped;
        EXPECT_EQ(senders.m_ids, std::vector<std::string>{}) << mistyped;
    }
    EXPECT_EQ(ParseSenderList("-1").m_strUnreadable, "-1") << "named in the notice";
}
