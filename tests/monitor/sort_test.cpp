#include "row_sort.h"

#include <gtest/gtest.h>

#include "event_store.h"
#include "list_reduction.h"
#include "store_fixture.h"

namespace {

CSimpleMessage Row(const std::string& desc, const std::string& time, int type = 1)
{
    CSimpleMessage rec = Event("2011.03.07", time, desc);
    rec.type = type;
    rec.lockName = desc;
    return rec;
}

}  // namespace

TEST(SortState, StartsOnDateDescendingAndFlipsOnRepeatedClicks)
{
    CSortState state;
    state.Click(3);
    EXPECT_EQ(state.column, 3);
    EXPECT_EQ(state.direction, 1);  // first click on "Date": oldest first
    state.Click(1);
    EXPECT_EQ(state.direction, 1);
    state.Click(1);
    EXPECT_EQ(state.direction, -1);
    state.Click(0);
    EXPECT_EQ(state.column, 0);
    EXPECT_EQ(state.direction, 1);
}

TEST(CompareRows, ComparesByColumnTimesDirection)
{
    const CSimpleMessage a = Row("alpha", "10:00:00", 3);
    const CSimpleMessage b = Row("Beta", "09:00:00", 1);
    CSortState state{1, 1};
    EXPECT_LT(CompareRows(a, b, state), 0);  // case-insensitive: alpha < Beta
    EXPECT_EQ(CompareRows(a, Row("ALPHA", "11:00:00"), state), 0);
    state.direction = -1;
    EXPECT_GT(CompareRows(a, b, state), 0);
    EXPECT_GT(CompareRows(a, b, CSortState{0, 1}), 0);  // type 3 after type 1, whatever the level text
    EXPECT_GT(CompareRows(a, b, CSortState{3, 1}), 0);
    EXPECT_EQ(CompareRows(a, b, CSortState{7, 1}), 0);
}

TEST(SortRows, MovesThePosListEntriesWithTheirRows)
{
    StoreRecords({Row("b", "10:00:01"), Row("c", "10:00:02"), Row("a", "10:00:03")});
    CMonitorSettings all;
    all.today = 0;
    CMonitorRows rows = BuildMonitorRows(all, [] { return std::string(); });
    ASSERT_EQ(Descs(rows), (Texts{"a", "c", "b"}));
    g_PosList[1] = -1;  // the store evicted "c" since the fill

    CSortState state;
    state.Click(1);
    SortRows(rows, state);
    EXPECT_EQ(Descs(rows), (Texts{"a", "b", "c"}));
    EXPECT_EQ(g_PosList[0], 2);
    EXPECT_EQ(g_PosList[1], 0);
    EXPECT_EQ(g_PosList[2], -1);

    // A refill goes back to newest first but leaves the sort state alone.
    rows = BuildMonitorRows(all, [] { return std::string(); });
    EXPECT_EQ(Descs(rows), (Texts{"a", "c", "b"}));
    state.Click(1);
    EXPECT_EQ(state.direction, -1);
}
