// The store against a plain model of it: records moved down on eviction,
// duplicates found by walking the slots, the time order made by bubble
// passes. Random traffic goes through both; after every step every slot,
// position, Monitor row and counter must agree.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "event_store.h"

namespace {

struct CPlainStore {
    std::vector<CSimpleMessage> array;
    std::vector<int> pos, posList;
    int maxMessages = 0, maxUsed = -1, cur = -1, req = -1, newArrived = 0;
    CSimpleMessage shown;

    explicit CPlainStore(int capacity)
        : array(capacity), pos(capacity, 0), posList(capacity, 0), maxMessages(capacity)
    {
    }

    static bool Same(const CSimpleMessage& a, const CSimpleMessage& b)
    {
        return a.tid == b.tid && a.ttime == b.ttime && a.lid == b.lid && a.sid == b.sid && a.addr == b.addr;
    }

    // The records since the last sort sit unsorted at the top; below them
    // the walk through the time order stops at the first older record.
    bool IsDuplicate(const CSimpleMessage& msg) const
    {
        const int k = maxUsed - newArrived;
        for (int j = maxUsed; j > k && j >= 0; --j) {
            if (Same(array[j], msg))
                return true;
        }
        for (int p = k; p >= 0; --p) {
            const CSimpleMessage& stored = array[pos[p]];
            if (stored.ttime < msg.ttime)
                return false;
            if (Same(stored, msg))
                return true;
        }
        return false;
    }

    void Evict()
    {
        const int n = maxMessages;
        for (int i = 0; i <= n - 51; ++i)
            array[i] = array[i + 50];
        int d = 0;
        for (int p = 0; p < n; ++p) {
            if (pos[p] >= 50)
                pos[p - d] = pos[p] - 50;
            else
                ++d;
            posList[p] = posList[p] >= 50 ? posList[p] - 50 : -1;
        }
        for (int p = n - 50; p < n; ++p)
            pos[p] = p;
        maxUsed = n - 51;
    }

    // A rejected record is judged against the store as it stands and never
    // makes a full store evict.
    void Add(const std::string& text)
    {
        CSimpleMessage msg;
        msg.Parse(text);
        if (msg.ttime == 0)
            return;
        if (msg.type == 3 && (msg.addr < 0 || msg.addr > 2048 || IsDuplicate(msg)))
            return;
        if (maxUsed >= maxMessages - 1)
            Evict();
        ++maxUsed;
        array[maxUsed] = msg;
        pos[maxUsed] = maxUsed;
        cur = req = maxUsed;
        ++newArrived;
    }

    void BubbleSort(int top)
    {
        for (int pass = 0; pass <= top; ++pass) {
            bool swapped = false;
            for (int j = top - 1; j >= 0; --j) {
                if (array[pos[j]].ttime > array[pos[j + 1]].ttime) {
                    std::swap(pos[j], pos[j + 1]);
                    swapped = true;
                }
            }
            if (!swapped)
                return;
        }
    }

    // Records not handed over yet stay unsorted at the top.
    void SetMax(int n)
    {
        if (n < maxMessages && maxUsed >= n) {
            const int drop = maxUsed - n + 1;
            for (int i = 0; i < n; ++i)
                array[i] = array[i + drop];
            maxUsed = cur = n - 1;
            shown = array[cur];
        }
        if (n == maxMessages)
            return;
        maxMessages = n;
        array.resize(n);
        pos.resize(n);
        for (int p = 0; p < n; ++p)
            pos[p] = p;
        posList.resize(n, 0);
        BubbleSort(maxUsed - newArrived);
    }

    void HandOver()
    {
        if (newArrived <= 0)
            return;
        if (cur >= 0 && cur <= maxUsed)
            shown = array[cur];
        BubbleSort(maxUsed);
        FillRows(posList, pos, maxUsed);
        newArrived = 0;
    }

    // The Monitor's refill, newest first.
    static void FillRows(std::vector<int>& rows, const std::vector<int>& positions, int top)
    {
        for (int r = 0; r <= top; ++r)
            rows[r] = positions[top - r];
    }

    void Resolve()
    {
        if (req == cur)
            return;
        if (req >= 0 && req <= maxUsed) {
            cur = req;
            shown = array[cur];
        } else {
            req = cur;
        }
    }

    void WriteBack(bool checked)
    {
        const int value = checked ? 1 : 0;
        if (shown.read == value || cur < 0 || cur >= static_cast<int>(array.size()))
            return;
        shown.read = value;
        array[cur] = shown;
    }

    void MarkAll()
    {
        for (int i = 0; i <= maxUsed; ++i)
            array[i].read = 1;
    }
};

// Few distinct values per key field, so duplicates and equal times are common.
std::string RandomText(std::mt19937& random, int& now, int serial)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    now += pick(0, 2);
    const int roll = pick(0, 99);
    const int type = roll < 60 ? 3 : 1;
    const int ttime = roll < 4 ? 0 : now - pick(0, 30);
    const int addr = roll >= 96 ? (roll % 2 ? -1 : 2049) : pick(0, 3);
    return "8," + std::to_string(type) + "," + std::to_string(ttime) + ",n,#" + std::to_string(serial) + ",s,l," +
           std::to_string(pick(0, 1)) + "," + std::to_string(pick(0, 2)) + ",g,m,0," + std::to_string(pick(0, 3)) +
           ",0,k," + std::to_string(addr);
}

void ExpectSameStore(const CPlainStore& plain, const CSimpleMessage& shown, int step)
{
    SCOPED_TRACE("step " + std::to_string(step));
    ASSERT_EQ(max_messages, plain.maxMessages);
    ASSERT_EQ(max_used_item, plain.maxUsed);
    ASSERT_EQ(cur_item, plain.cur);
    ASSERT_EQ(req_item, plain.req);
    ASSERT_EQ(new_arrived, plain.newArrived);
    ASSERT_EQ(g_Array.size(), plain.array.size());
    for (size_t i = 0; i < plain.array.size(); ++i) {
        ASSERT_EQ(g_Array[i].desc, plain.array[i].desc) << "slot " << i;
        ASSERT_TRUE(CPlainStore::Same(g_Array[i], plain.array[i])) << "slot " << i;
        ASSERT_EQ(g_Array[i].read, plain.array[i].read) << "slot " << i;
    }
    ASSERT_EQ(g_Pos, plain.pos);
    ASSERT_EQ(g_PosList, plain.posList);
    ASSERT_EQ(shown.desc, plain.shown.desc);
}

}  // namespace

TEST(EventStoreModel, RandomTrafficLeavesTheSameStoreAsThePlainAlgorithms)
{
    const int capacities[] = {50, 51, 60, 99, 100, 137, 250};
    std::mt19937 random(20110307);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    ResetStore(100);
    CPlainStore plain(100);
    CSimpleMessage shown;
    int now = 1000000;
    std::vector<std::string> sent;
    const ArrivalHooks hooks{{}, [] { CPlainStore::FillRows(g_PosList, g_Pos, max_used_item); }};
    for (int step = 0; step < 30000; ++step) {
        const int roll = pick(0, 999);
        if (roll < 930) {
            // Senders resend: a fifth of the texts repeat a recent one.
            if (sent.empty() || pick(0, 4) != 0)
                sent.push_back(RandomText(random, now, step));
            const std::string& text = sent[sent.size() - 1 - pick(0, std::min<int>(sent.size(), 300) - 1)];
            AddMessage(text);
            plain.Add(text);
        } else if (roll < 970) {
            HandOverArrivals(shown, hooks);
            plain.HandOver();
        } else if (roll < 980) {
            req_item = plain.req = pick(-1, max_used_item + 1);
            ResolveRequest(shown);
            plain.Resolve();
        } else if (roll < 992) {
            // The Read box, also while arrivals have moved cur_item on.
            const bool checked = pick(0, 1) == 1;
            WriteBackReadFlag(shown, checked);
            plain.WriteBack(checked);
        } else if (roll < 994) {
            MarkAllRead();
            plain.MarkAll();
        } else {
            const int n = capacities[pick(0, std::size(capacities) - 1)];
            SetMaxMessages(n, [&] { shown = g_Array[cur_item]; });
            plain.SetMax(n);
        }
        ExpectSameStore(plain, shown, step);
        if (HasFatalFailure())
            return;
    }
}
