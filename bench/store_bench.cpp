// Insertion into a full store and the time order, against the bubble passes
// the time order was first specified with.
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>

#include <benchmark/benchmark.h>

#include "event_store.h"

namespace {

constexpr int kSlots = 10000;

// A transponder event at time t; the address keeps it acceptable.
std::string Transponder(int t)
{
    char text[160];
    std::snprintf(text, sizeof text, "8,3,%d,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,%d,0,Key,%d,0,1,0,0,0,235",
                  t, t % 4096, t % 2049);
    return text;
}

// Type-3 events with rising times into a store that stays full, so every
// 50th insertion evicts. The navigator's hand-over runs every 100 records,
// as it would between refreshes, and is part of the cost.
void BM_AddMessageEvicting(benchmark::State& state)
{
    ResetStore(kSlots);
    int t = 1000000000;
    for (int i = 0; i < kSlots; ++i)
        AddMessage(Transponder(t++));
    CSimpleMessage shown;
    HandOverArrivals(shown, {});
    for (auto _ : state) {
        AddMessage(Transponder(t++));
        if (new_arrived == 100)
            HandOverArrivals(shown, {});
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddMessageEvicting);

// The original algorithm: passes from the top down, at most one per record,
// until one pass swaps nothing.
void BubbleSortPositions()
{
    for (int pass = 0; pass <= max_used_item; ++pass) {
        bool swapped = false;
        for (int j = max_used_item - 1; j >= 0; --j) {
            if (g_Array[g_Pos[j]].ttime > g_Array[g_Pos[j + 1]].ttime) {
                std::swap(g_Pos[j], g_Pos[j + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
}

enum Order { kSorted, kTwentyLate, kReversed };

// A full store whose arrival order is in, nearly in, or against time order.
void FillForSort(Order order)
{
    ResetStore(kSlots);
    max_used_item = kSlots - 1;
    std::mt19937 random(7);
    for (int i = 0; i < kSlots; ++i)
        g_Array[i].ttime = order == kReversed ? kSlots - i : i + 1;
    if (order == kTwentyLate) {
        std::uniform_int_distribution<int> earlier(1, kSlots);
        for (int i = kSlots - 20; i < kSlots; ++i)
            g_Array[i].ttime = earlier(random);
    }
}

template <void (*Sort)()>
void BM_Sort(benchmark::State& state)
{
    FillForSort(static_cast<Order>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::iota(g_Pos.begin(), g_Pos.end(), 0);
        state.ResumeTiming();
        Sort();
    }
    state.SetItemsProcessed(state.iterations() * kSlots);
}

void OrderNames(benchmark::internal::Benchmark* b)
{
    b->ArgName("order")->Arg(kSorted)->Arg(kTwentyLate)->Arg(kReversed)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Sort<SortPositions>)->Name("BM_SortPositions")->Apply(OrderNames);
BENCHMARK(BM_Sort<BubbleSortPositions>)->Name("BM_BubblePasses")->Apply(OrderNames);

}  // namespace
