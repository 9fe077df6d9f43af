// The event endpoint's round trip ("message in, OK out") against a bare
// server on the same socket type, and the drain from queue to store.
//
// Each round-trip benchmark runs its whole load once: every client sends the
// worked example kSends times and times each answer. The figures to compare
// are the ratios to the baseline in the same run.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "event_store.h"
#include "intake_queue.h"
#include "pipe_server.h"
#include "tellvane_send_client.h"
#include "unix_endpoint.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSends = 20000;
const std::string kWorkedExample =
    "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

std::string BenchName(const char* kind)
{
    return std::string("tvbench-") + kind + "-" + std::to_string(getpid());
}

// Thread per connection, recv then send "OK", nothing else.
class CBaselineServer {
public:
    explicit CBaselineServer(const std::string& name)
    {
        m_listenFd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        const CUnixAddress address(name);
        if (bind(m_listenFd, address.Get(), address.Length()) != 0 || listen(m_listenFd, SOMAXCONN) != 0)
            throw std::runtime_error("baseline endpoint");
        m_listener = std::thread([this] { Listen(); });
    }

    ~CBaselineServer()
    {
        shutdown(m_listenFd, SHUT_RDWR);
        m_listener.join();
        for (std::thread& connection : m_connections)
            connection.join();
        close(m_listenFd);
    }

private:
    void Listen()
    {
        for (;;) {
            const int fd = accept(m_listenFd, nullptr, nullptr);
            if (fd < 0)
                return;
            m_connections.emplace_back([fd] {
                char request[kRequestSize];
                while (recv(fd, request, sizeof request, 0) > 0) {
                    if (send(fd, "OK", 2, MSG_NOSIGNAL) != 2)
                        break;
                }
                close(fd);
            });
        }
    }

    int m_listenFd = -1;
    std::thread m_listener;
    std::vector<std::thread> m_connections;
};

// Plays the GUI thread at the program's pace: a drain every half second,
// continued in slices of the drain's time budget while texts remain.
class CDrainer {
public:
    CDrainer()
        : m_thread([this] {
              std::unique_lock<std::mutex> lock(m_mutex);
              while (!m_stopped.wait_for(lock, std::chrono::milliseconds(500), [this] { return m_bStop; })) {
                  lock.unlock();
                  while (DrainQueue()) {
                  }
                  lock.lock();
              }
          })
    {
    }
    ~CDrainer()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_stopped.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_bStop = false;
    std::thread m_thread;
};

std::vector<double> RunClient(const std::string& name)
{
    std::vector<double> micros;
    micros.reserve(kSends);
    CSenderConnection sender;
    if (!sender.Connect(name))
        return micros;
    std::string reply;
    for (int i = 0; i < kSends; ++i) {
        const auto start = Clock::now();
        if (!sender.Send(kWorkedExample) || !sender.ReceiveReply(reply))
            break;
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return micros;
}

void RunLoad(benchmark::State& state, const std::string& name)
{
    const int clients = static_cast<int>(state.range(0));
    std::vector<std::vector<double>> perClient(clients);
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] { perClient[c] = RunClient(name); });
    for (std::thread& thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<double> all;
    for (const auto& micros : perClient)
        all.insert(all.end(), micros.begin(), micros.end());
    if (all.size() != static_cast<std::size_t>(clients) * kSends) {
        state.SkipWithError("a round trip failed");
        return;
    }
    std::sort(all.begin(), all.end());
    state.counters["trips_per_s"] = static_cast<double>(all.size()) / seconds;
    state.counters["p50_us"] = all[all.size() / 2];
    state.counters["p99_us"] = all[all.size() * 99 / 100];
    state.SetIterationTime(seconds);
}

void BM_RoundTripBaseline(benchmark::State& state)
{
    const std::string name = BenchName("baseline");
    CBaselineServer server(name);
    for (auto _ : state)
        RunLoad(state, name);
}

void BM_RoundTripTellvane(benchmark::State& state)
{
    ResetStore(kDefaultCapacity);
    ResetQueue();
    CPipeServerConfig config;
    config.m_strName = BenchName("tellvane");
    StartPipeServer(config);
    {
        CDrainer drainer;
        CSenderConnection probe;
        while (!probe.Connect(config.m_strName))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        probe.Close();
        for (auto _ : state)
            RunLoad(state, config.m_strName);
    }
    StopPipeServer();
    ResetQueue();
}

// A distinct event, so that every one is parsed and stored.
std::string DistinctEvent(int type, int ttime)
{
    return "8," + std::to_string(type) + "," + std::to_string(ttime) +
           ",Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";
}

// Times draining texts distinct events of a type into the store that
// prepareStore leaves.
template <class Prepare>
void TimeDrain(benchmark::State& state, int type, int texts, Prepare prepareStore)
{
    std::vector<std::string> events;
    for (int i = 0; i < texts; ++i)
        events.push_back(DistinctEvent(type, 1299506709 + i));
    for (auto _ : state) {
        state.PauseTiming();
        prepareStore();
        ResetQueue();
        for (const std::string& text : events)
            QueueText(text);
        state.ResumeTiming();
        while (DrainQueue()) {
        }
    }
    state.SetItemsProcessed(state.iterations() * texts);
}

void BM_Drain(benchmark::State& state)
{
    TimeDrain(state, 1, static_cast<int>(state.range(0)), [] { ResetStore(kMaxCapacity); });
}

// Into a store that is full already, as on a site that has run for a while,
// with no hand-over between the texts: type 1 and type 3 (whose duplicate
// test looks at the stored records).
void BM_DrainIntoFullStore(benchmark::State& state)
{
    TimeDrain(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), [] {
        ResetStore(kMaxCapacity);
        for (int i = 0; i < kMaxCapacity; ++i)
            AddMessage(DistinctEvent(i % 2 ? 3 : 1, 1200000000 + i));
        CSimpleMessage shown;
        HandOverArrivals(shown, {});
    });
}

}  // namespace

// The machine is shared, so each load runs three times; compare the medians.
#define TELLVANE_ROUND_TRIPS(bm)                                                                 \
    BENCHMARK(bm)->ArgName("clients")->Arg(1)->Arg(16)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly() \
        ->UseManualTime()->Unit(benchmark::kMillisecond)
TELLVANE_ROUND_TRIPS(BM_RoundTripBaseline);
TELLVANE_ROUND_TRIPS(BM_RoundTripTellvane);
BENCHMARK(BM_Drain)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrainIntoFullStore)
    ->ArgNames({"type", "texts"})
    ->ArgsProduct({{1, 3}, {1000, 10000, 50000}})
    ->Unit(benchmark::kMillisecond);
