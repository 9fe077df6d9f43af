#include "event_store.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// A type-1 event at time t; desc carries a tag so tests can tell records apart.
std::string Event(int t, const std::string& tag = "x", int type = 1)
{
    return "8," + std::to_string(type) + "," + std::to_string(t) + ",n," + tag + ",s,l,1,12,7,3,0,4711,0,k,5,0,0,0,0,0,0";
}

std::string Transponder(int t, int tid, int addr, int lid = 12, int sid = 1)
{
    return "8,3," + std::to_string(t) + ",n,d,s,l," + std::to_string(sid) + "," + std::to_string(lid) +
           ",7,3,0," + std::to_string(tid) + ",0,k," + std::to_string(addr);
}

class EventStore : public ::testing::Test {
protected:
    void SetUp() override { ResetStore(); }

    void Fill(int count, int firstTime = 1000)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(AddMessage(Event(firstTime + i, std::to_string(i))));
    }

    std::vector<int> TimesInPositionOrder()
    {
        std::vector<int> times;
        for (int p = 0; p <= max_used_item; ++p)
            times.push_back(g_Array[g_Pos[p]].ttime);
        return times;
    }
};

}  // namespace

TEST_F(EventStore, StartsEmptyWithDefaultSlots)
{
    EXPECT_EQ(max_messages, 500);
    EXPECT_EQ(g_Array.size(), 500u);
    EXPECT_EQ(g_Pos.size(), 500u);
    EXPECT_EQ(g_PosList.size(), 500u);
    EXPECT_EQ(max_used_item, -1);
    EXPECT_EQ(cur_item, -1);
    EXPECT_EQ(g_Array[499].tid, 65535);
}

TEST_F(EventStore, InsertMakesTheRecordCurrentAndCountsIt)
{
    EXPECT_TRUE(AddMessage(Event(2000, "a")));
    EXPECT_TRUE(AddMessage(Event(1000, "b")));
    EXPECT_EQ(max_used_item, 1);
    EXPECT_EQ(cur_item, 1);
    EXPECT_EQ(req_item, 1);
    EXPECT_EQ(new_arrived, 2);
    EXPECT_EQ(g_Array[1].desc, "b");
    EXPECT_EQ(g_Pos[1], 1);  // unsorted until the hand-over
    SortPositions();
    EXPECT_EQ((std::vector<int>{g_Pos[0], g_Pos[1]}), (std::vector<int>{1, 0}));
}

TEST_F(EventStore, DropsRecordsWithoutTimeOrWithABadAddress)
{
    EXPECT_FALSE(AddMessage("4,1,2011.03.07,14:05:09,n,d,s,l,1,12,7,3,0,4711,0,k"));
    EXPECT_FALSE(AddMessage(""));
    EXPECT_FALSE(AddMessage(Transponder(1000, 1, 2049)));
    EXPECT_FALSE(AddMessage(Transponder(1000, 1, -1)));
    EXPECT_TRUE(AddMessage(Transponder(1000, 1, 2048)));
    EXPECT_TRUE(AddMessage(Transponder(1000, 1, 0)));
    EXPECT_EQ(max_used_item, 1);
    EXPECT_EQ(new_arrived, 2);
}

TEST_F(EventStore, DuplicateTransponderEventsAreDroppedOthersAreNot)
{
    // In one drain: found among the unsorted new records.
    EXPECT_TRUE(AddMessage(Transponder(5000, 7, 5)));
    EXPECT_FALSE(AddMessage(Transponder(5000, 7, 5)));
    // Each identity field counts.
    EXPECT_TRUE(AddMessage(Transponder(5000, 8, 5)));
    EXPECT_TRUE(AddMessage(Transponder(5000, 7, 6)));
    EXPECT_TRUE(AddMessage(Transponder(5000, 7, 5, 13)));
    EXPECT_TRUE(AddMessage(Transponder(5000, 7, 5, 12, 2)));
    EXPECT_TRUE(AddMessage(Transponder(5001, 7, 5)));

    // After a hand-over: found in the sorted part, behind newer and equal-time records.
    SortPositions();
    new_arrived = 0;
    AddMessage(Event(9000));
    EXPECT_FALSE(AddMessage(Transponder(5000, 7, 5, 12, 2)));
    EXPECT_FALSE(AddMessage(Transponder(5000, 7, 5)));
    EXPECT_TRUE(AddMessage(Transponder(4999, 7, 5)));

    // Other types are stored twice.
    EXPECT_TRUE(AddMessage(Event(100)));
    EXPECT_TRUE(AddMessage(Event(100)));
}

TEST_F(EventStore, FullStoreEvictsTheFiftyOldestByArrival)
{
    Fill(500);
    for (int r = 0; r < 500; ++r)
        g_PosList[r] = r;
    ASSERT_EQ(max_used_item, 499);
    EXPECT_TRUE(AddMessage(Event(1, "new")));  // oldest by time, newest by arrival
    EXPECT_EQ(max_used_item, 450);
    EXPECT_EQ(cur_item, 450);
    EXPECT_EQ(g_Array[0].desc, "50");
    EXPECT_EQ(g_Array[449].desc, "499");
    EXPECT_EQ(g_Array[450].desc, "new");
    EXPECT_EQ(g_PosList[30], -1);
    EXPECT_EQ(g_PosList[80], 30);
    // The top slots keep left-over copies rather than defaults.
    EXPECT_EQ(g_Array[499].desc, "499");
    SortPositions();
    std::vector<int> times = TimesInPositionOrder();
    EXPECT_EQ(times.front(), 1);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
}

TEST_F(EventStore, RejectedRecordDoesNotEvict)
{
    Fill(500);
    EXPECT_FALSE(AddMessage("4,1,2011.03.07,14:05:09,n,d,s,l"));
    EXPECT_FALSE(AddMessage(Transponder(1000, 1, 9999)));
    EXPECT_EQ(max_used_item, 499);
    EXPECT_EQ(g_Array[0].desc, "0");
}

TEST_F(EventStore, SortIsStableAndAscending)
{
    const int times[] = {50, 10, 50, 30, 10, 70, 30};
    for (int i = 0; i < 7; ++i)
        AddMessage(Event(times[i], std::to_string(i)));
    SortPositions();
    std::vector<std::string> order;
    for (int p = 0; p <= max_used_item; ++p)
        order.push_back(g_Array[g_Pos[p]].desc);
    EXPECT_EQ(order, (std::vector<std::string>{"1", "4", "3", "6", "0", "2", "5"}));
}

TEST_F(EventStore, SortMergesLateArrivalsIntoAnOrderedStore)
{
    Fill(300, 1000);
    SortPositions();
    AddMessage(Event(5));
    AddMessage(Event(1150));
    AddMessage(Event(9999));
    SortPositions();
    std::vector<int> t = TimesInPositionOrder();
    EXPECT_TRUE(std::is_sorted(t.begin(), t.end()));
    EXPECT_EQ(t.front(), 5);
    EXPECT_EQ(t.back(), 9999);
}

TEST_F(EventStore, ShrinkingKeepsTheNewestByArrival)
{
    Fill(300);
    int shown = -2;
    SetMaxMessages(100, [&] { shown = cur_item; });
    EXPECT_EQ(max_messages, 100);
    EXPECT_EQ(max_used_item, 99);
    EXPECT_EQ(cur_item, 99);
    EXPECT_EQ(shown, 99);
    EXPECT_EQ(g_Array.size(), 100u);
    EXPECT_EQ(g_Pos.size(), 100u);
    EXPECT_EQ(g_PosList.size(), 100u);
    EXPECT_EQ(g_Array[0].desc, "200");
    EXPECT_EQ(g_Array[99].desc, "299");
}

TEST_F(EventStore, GrowingAndUnchangedCapacity)
{
    Fill(10);
    SetMaxMessages(500);
    EXPECT_EQ(max_used_item, 9);
    SetMaxMessages(1000);
    EXPECT_EQ(g_Array.size(), 1000u);
    EXPECT_EQ(g_Array[999].tid, 65535);
    EXPECT_EQ(max_used_item, 9);
    EXPECT_EQ(g_Pos[999], 999);
}

TEST_F(EventStore, DuplicateIsFoundAfterACapacityChangeBeforeTheHandOver)
{
    // Stored and sorted long ago, but newer than what arrived since.
    AddMessage(Transponder(9000, 7, 5));
    SortPositions();
    new_arrived = 0;
    AddMessage(Event(100));
    AddMessage(Event(200));
    SetMaxMessages(1000);
    EXPECT_FALSE(AddMessage(Transponder(9000, 7, 5)));
    // The hand-over still puts everything in time order.
    CSimpleMessage shown;
    HandOverArrivals(shown, {});
    EXPECT_EQ(TimesInPositionOrder(), (std::vector<int>{100, 200, 9000}));
}

TEST_F(EventStore, MarkAllReadTouchesOnlyStoredRecords)
{
    Fill(3);
    MarkAllRead();
    EXPECT_EQ(g_Array[2].read, 1);
    EXPECT_EQ(g_Array[3].read, 0);
}

TEST_F(EventStore, HandOverShowsTheNewestAndSortsOnce)
{
    CSimpleMessage shown;
    int signals = 0, refills = 0;
    ArrivalHooks hooks{[&] { ++signals; }, [&] { ++refills; }};
    EXPECT_FALSE(HandOverArrivals(shown, hooks));
    AddMessage(Event(300, "a"));
    AddMessage(Event(100, "b"));
    AddMessage(Event(200, "c"));
    EXPECT_TRUE(HandOverArrivals(shown, hooks));
    EXPECT_EQ(shown.desc, "c");
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(new_arrived, 0);
    EXPECT_EQ(TimesInPositionOrder(), (std::vector<int>{100, 200, 300}));
}

TEST_F(EventStore, RequestsResolveOnlyToStoredSlots)
{
    CSimpleMessage shown;
    req_item = -1;  // First on an empty store
    EXPECT_FALSE(ResolveRequest(shown));
    Fill(3);
    req_item = 3;  // Next on the last record
    EXPECT_FALSE(ResolveRequest(shown));
    EXPECT_EQ(req_item, 2);
    req_item = 0;
    EXPECT_TRUE(ResolveRequest(shown));
    EXPECT_EQ(cur_item, 0);
    EXPECT_EQ(shown.desc, "0");
}

TEST_F(EventStore, ReadFlagIsWrittenBackThroughTheShownCopy)
{
    CSimpleMessage shown;
    EXPECT_FALSE(WriteBackReadFlag(shown, true));  // nothing shown
    Fill(2);
    shown = g_Array[cur_item];
    EXPECT_FALSE(WriteBackReadFlag(shown, false));
    EXPECT_TRUE(WriteBackReadFlag(shown, true));
    EXPECT_EQ(g_Array[1].read, 1);
    EXPECT_EQ(shown.read, 1);
}
