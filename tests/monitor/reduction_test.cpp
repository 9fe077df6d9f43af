#include "list_reduction.h"

#include <gtest/gtest.h>

#include "store_fixture.h"

namespace {

constexpr char kToday[] = "2011.03.07";

CSimpleMessage Locking(const std::string& time, int sid, int lid, const std::string& lockName = "Door")
{
    CSimpleMessage rec = Event(kToday, time, time);
    rec.sid = sid;
    rec.lid = lid;
    rec.lockName = lockName;
    rec.gid = "7";
    rec.mid = "3";
    return rec;
}

CSimpleMessage Key(const std::string& time, int tid, int lid = 12)
{
    CSimpleMessage rec = Locking(time, 1, lid);
    rec.type = 3;
    rec.tid = tid;
    return rec;
}

class Reduction : public ::testing::Test {
protected:
    CMonitorRows Build(int32_t list)
    {
        settings.list = list;
        return BuildMonitorRows(settings, [] { return std::string(kToday); });
    }

    CMonitorSettings settings;
};

}  // namespace

TEST_F(Reduction, AllMessagesListsNewestFirstAndRecordsTheSlots)
{
    StoreRecords({Locking("10:00:01", 1, 1), Locking("10:00:03", 1, 1), Locking("10:00:02", 1, 1)});
    g_Pos = {0, 2, 1};  // time order
    g_Pos.resize(max_messages);
    const CMonitorRows rows = Build(0);
    EXPECT_EQ(Descs(rows), (Texts{"10:00:03", "10:00:02", "10:00:01"}));
    EXPECT_EQ(g_PosList[0], 1);
    EXPECT_EQ(g_PosList[1], 2);
    EXPECT_EQ(g_PosList[2], 0);
    EXPECT_EQ(rows[0].slot, 1);
}

TEST_F(Reduction, EmptyStoreGivesNoRows)
{
    StoreRecords({});
    EXPECT_TRUE(Build(1).empty());
}

TEST_F(Reduction, LockingModeKeysOnSystemAndLockingId)
{
    StoreRecords({Locking("10:00:01", 1, 12, "Door A"), Locking("10:00:02", 1, 12, "Door B"),
                  Locking("10:00:03", 2, 12), Locking("10:00:04", 1, 13)});
    EXPECT_EQ(Descs(Build(1)), (Texts{"10:00:04", "10:00:03", "10:00:02"}));
}

TEST_F(Reduction, LockingWithoutIdIsToldApartByGroupMemberAndName)
{
    CSimpleMessage otherGroup = Locking("10:00:02", 1, 0);
    otherGroup.gid = "8";
    CSimpleMessage otherMember = Locking("10:00:03", 1, 0);
    otherMember.mid = "4";
    StoreRecords({Locking("10:00:01", 1, 0), otherGroup, otherMember, Locking("10:00:04", 1, 0, "door"),
                  Locking("10:00:05", 1, 0)});
    EXPECT_EQ(Descs(Build(1)), (Texts{"10:00:05", "10:00:04", "10:00:03", "10:00:02"}));
}

TEST_F(Reduction, TransponderModesKeepTheNewestPerKeyAndSkipOtherTypes)
{
    StoreRecords({Key("10:00:01", 5, 12), Key("10:00:02", 5, 13), Key("10:00:03", 6, 12), Locking("10:00:04", 1, 12),
                  Key("10:00:05", 5, 12)});
    EXPECT_EQ(Descs(Build(2)), (Texts{"10:00:05", "10:00:03"}));
    EXPECT_EQ(Descs(Build(3)), (Texts{"10:00:05", "10:00:03", "10:00:02"}));
}

TEST_F(Reduction, ModesAboveThreeAndBelowZeroListEverything)
{
    StoreRecords({Key("10:00:01", 5), Key("10:00:02", 5), Locking("10:00:03", 1, 12)});
    for (int32_t list : {4, 99, -1})
        EXPECT_EQ(Build(list).size(), 3u) << list;
}

TEST_F(Reduction, EventsThatFailTheFilterNeverHideOlderOnes)
{
    CSimpleMessage newest = Locking("10:00:02", 1, 12);
    newest.level = kLevelAlarm;
    StoreRecords({Locking("10:00:01", 1, 12), newest});
    settings.warn = 1;  // normal messages only
    EXPECT_EQ(Descs(Build(1)), (Texts{"10:00:01"}));
}

TEST_F(Reduction, RowsListedBeforeMidnightStopHidingTheirKeyAfterIt)
{
    CSimpleMessage yesterday = Locking("23:59:59", 1, 12);
    yesterday.date = "2011.03.06";
    yesterday.desc = "old";
    CSimpleMessage older = Locking("00:00:01", 1, 12);
    older.desc = "new";
    // Store order is by time, and the walk goes newest first; the clock
    // turns while the fill is between the two events.
    StoreRecords({older, yesterday});
    int calls = 0;
    settings.list = 1;
    const CMonitorRows rows =
        BuildMonitorRows(settings, [&calls] { return std::string(calls++ == 0 ? "2011.03.06" : "2011.03.07"); });
    EXPECT_EQ(Descs(rows), (Texts{"old", "new"}));
}
