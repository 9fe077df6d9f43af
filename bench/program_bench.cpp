// The built tellvane program against the least a server can do, on the
// traffic a site sends: one connection per event from one and from sixteen
// senders, and sixteen senders that keep their connections. Both servers run
// side by side on endpoint names of their own; each round runs every pattern
// on both, alternating which goes first. Then the drain: texts sent into a
// program whose store is full (10,000 slots), timed by the CPU time of its
// GUI thread, so a busy machine distorts it less than wall-clock time.
// Then the event archive: the latency of "OK" when it waits for the disk
// (gDurableOk=1), start-up beside a 1,000,000-text archive against none,
// and the replay of 10,000 texts a killed run left unsaved.
//
// Usage: program_bench [--rounds N] [--scale X] [--program PATH] [--setting KEY=VALUE]...
//                      [--traffic-only | --drains-only | --archive-only | --pattern N]
// Prints medians over the rounds and the program's ratio to the yardstick.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "event_archive.h"
#include "event_file.h"
#include "event_store.h"
#include "private_home.h"
#include "save_marker.h"
#include "tellvane_send_client.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kSenders = 16;
// The program measured: the one built beside this benchmark, or another
// build of it (--program) for a before-and-after comparison.
std::string s_strProgram = TELLVANE_PATH;
// Settings lines (KEY=VALUE) the program is started with (--setting).
std::vector<std::string> s_Settings;
// One traffic pattern alone (--pattern N, from 1), e.g. to profile it.
std::size_t s_nOnlyPattern = 0;
constexpr int kFullStore = 10000;

// ---- Processes -------------------------------------------------------------

class CServerProcess {
public:
    CServerProcess(const std::string& path, std::vector<std::string> args, const std::vector<std::string>& env)
    {
        args.insert(args.begin(), path);
        std::vector<char*> argv, envp;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envCopy = env;
        for (std::string& e : envCopy)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int failed = posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed)
            throw std::runtime_error("cannot start " + path);
    }
    ~CServerProcess() { Stop(SIGKILL); }
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    void Stop(int signal)
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, signal);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// CPU time of the whole process, exited threads included, in seconds.
double ProcessCpuSeconds(pid_t pid)
{
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15)  // utime, stime
            ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU time of the main (GUI) thread in nanoseconds, at scheduler precision.
double MainThreadCpuNanos(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/schedstat";
    std::istringstream fields(ReadText(path));
    double nanos = 0;
    fields >> nanos;
    return nanos;
}

// How often the main thread was switched out; each wake-up costs at least one.
long MainThreadSwitches(pid_t pid)
{
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status"));
    long total = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.find("ctxt_switches:") != std::string::npos)
            total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

// Until the main thread has used less than a millisecond in 600 ms: longer
// than the drain tick, so texts still queued would have shown. Returns what
// the idle thread (its timers) used per second in that last stretch.
double WaitQuiet(pid_t pid)
{
    constexpr auto kStretch = 600ms;
    double before = MainThreadCpuNanos(pid);
    double now = before;
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(kStretch);
        now = MainThreadCpuNanos(pid);
        if (now - before < 1e6)
            break;
        before = now;
    }
    return (now - before) / std::chrono::duration<double>(kStretch).count();
}

bool WaitListening(const std::string& name, std::chrono::milliseconds poll = 20ms)
{
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline) {
        CSenderConnection probe;
        if (probe.Connect(name))
            return true;
        std::this_thread::sleep_for(poll);
    }
    return false;
}

// A private home: the program's settings, data, lock and diagnostic file all
// live in it, and it answers on an endpoint name of its own.
class CPrivateHome {
public:
    explicit CPrivateHome(const std::vector<std::string>& extraSettings = {})
    {
        std::string pattern = (fs::temp_directory_path() / "tvbench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("no temporary folder");
        m_path = pattern;
        fs::create_directories(m_path + "/config/Zentrovo");
        std::ofstream settings(m_path + "/config/Zentrovo/Tellvane.conf");
        settings << "[Settings]\n";
        for (const std::string& line : s_Settings)
            settings << line << "\n";
        for (const std::string& line : extraSettings)
            settings << line << "\n";
    }
    ~CPrivateHome()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string DataFolder() const { return DataHome() + "/Tellvane"; }
    // The program's XDG_DATA_HOME: its own, or one shared with other homes.
    std::string DataHome() const { return m_strDataHome.empty() ? m_path + "/data" : m_strDataHome; }
    void UseDataHome(const std::string& dataHome) { m_strDataHome = dataHome; }

    std::vector<std::string> Environment(const std::string& endpoint) const
    {
        std::map<std::string, std::string> own;
        for (const auto& [key, value] : PrivateHomeVariables(m_path))
            own[key] = value;
        own["XDG_DATA_HOME"] = DataHome();
        own["TELLVANE_ENDPOINT"] = endpoint;
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (!own.count(entry.substr(0, entry.find('='))))
                env.push_back(entry);
        }
        for (const auto& [key, value] : own)
            env.push_back(key + "=" + value);
        return env;
    }

private:
    std::string m_path;
    std::string m_strDataHome;
};

// ---- Traffic ---------------------------------------------------------------

// Every event is distinct, so the program stores each one.
std::string EventText(int type, int ttime)
{
    return "8," + std::to_string(type) + "," + std::to_string(ttime) +
           ",Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";
}

std::atomic<int> s_nextTime{1300000000};

struct CPattern {
    const char* m_name;
    int m_senders;
    int m_eventsPerSender;
    bool m_persistent;
};

struct CLoadFigures {
    double m_eventsPerSecond = 0;
    double m_p99Micros = 0;
    double m_cpuMicrosPerEvent = 0;
    double m_guiSwitchesPerEvent = 0;
};

// One sender: each event on a connection of its own, or all on one.
bool Send(const std::string& name, const CPattern& pattern, std::vector<double>& micros)
{
    CSenderConnection connection;
    if (pattern.m_persistent && !connection.Connect(name))
        return false;
    std::string reply;
    for (int i = 0; i < pattern.m_eventsPerSender; ++i) {
        const std::string text = EventText(3, s_nextTime++);
        const auto start = Clock::now();
        if (!pattern.m_persistent && !connection.Connect(name))
            return false;
        if (!connection.Send(text) || !connection.ReceiveReply(reply) || reply != "OK")
            return false;
        if (!pattern.m_persistent)
            connection.Close();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return true;
}

CLoadFigures RunPattern(const CServerProcess& server, const std::string& name, const CPattern& pattern)
{
    const double cpuBefore = ProcessCpuSeconds(server.Pid());
    const long switchesBefore = MainThreadSwitches(server.Pid());
    std::vector<std::vector<double>> micros(pattern.m_senders);
    std::vector<char> ok(pattern.m_senders, 0);
    const auto start = Clock::now();
    std::vector<std::thread> senders;
    for (int s = 0; s < pattern.m_senders; ++s)
        senders.emplace_back([&, s] { ok[s] = Send(name, pattern, micros[s]); });
    for (std::thread& sender : senders)
        sender.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (std::count(ok.begin(), ok.end(), 0) != 0)
        throw std::runtime_error(std::string("a sender failed: ") + pattern.m_name);
    // What the server does after the answers (storing) is part of its cost.
    WaitQuiet(server.Pid());

    std::vector<double> all;
    for (const auto& m : micros)
        all.insert(all.end(), m.begin(), m.end());
    std::sort(all.begin(), all.end());
    const double events = static_cast<double>(all.size());
    CLoadFigures figures;
    figures.m_eventsPerSecond = events / seconds;
    figures.m_p99Micros = all[all.size() * 99 / 100];
    figures.m_cpuMicrosPerEvent = (ProcessCpuSeconds(server.Pid()) - cpuBefore) * 1e6 / events;
    figures.m_guiSwitchesPerEvent = static_cast<double>(MainThreadSwitches(server.Pid()) - switchesBefore) / events;
    return figures;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Range(const std::vector<double>& values)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f-%.2f", *std::min_element(values.begin(), values.end()),
                  *std::max_element(values.begin(), values.end()));
    return text;
}

struct CSeries {
    std::vector<CLoadFigures> m_program, m_minimal;
};

std::vector<double> Column(const std::vector<CLoadFigures>& rounds, double CLoadFigures::*field)
{
    std::vector<double> values;
    for (const CLoadFigures& f : rounds)
        values.push_back(f.*field);
    return values;
}

std::vector<double> PairedRatios(const CSeries& s, double CLoadFigures::*field)
{
    std::vector<double> ratios;
    for (std::size_t r = 0; r < s.m_program.size(); ++r)
        ratios.push_back(s.m_program[r].*field / s.m_minimal[r].*field);
    return ratios;
}

void PrintTraffic(const std::vector<CPattern>& patterns, const std::vector<CSeries>& series)
{
    std::printf("\n| traffic | events/s tellvane | events/s minimal | ratio (rounds) | p99 us tellvane | p99 us minimal "
                "| ratio (rounds) | CPU us/event tellvane / minimal | GUI-thread switches/event |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const CSeries& s = series[i];
        const double tp = Median(Column(s.m_program, &CLoadFigures::m_eventsPerSecond));
        const double tm = Median(Column(s.m_minimal, &CLoadFigures::m_eventsPerSecond));
        const double pp = Median(Column(s.m_program, &CLoadFigures::m_p99Micros));
        const double pm = Median(Column(s.m_minimal, &CLoadFigures::m_p99Micros));
        std::printf("| %s | %.0f | %.0f | %.2fx (%s) | %.0f | %.0f | %.2fx (%s) | %.1f / %.1f | %.3f |\n",
                    patterns[i].m_name, tp, tm, tp / tm, Range(PairedRatios(s, &CLoadFigures::m_eventsPerSecond)).c_str(),
                    pp, pm, pp / pm, Range(PairedRatios(s, &CLoadFigures::m_p99Micros)).c_str(),
                    Median(Column(s.m_program, &CLoadFigures::m_cpuMicrosPerEvent)),
                    Median(Column(s.m_minimal, &CLoadFigures::m_cpuMicrosPerEvent)),
                    Median(Column(s.m_program, &CLoadFigures::m_guiSwitchesPerEvent)));
    }
}

std::vector<std::string> Environment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    return env;
}

std::vector<CPattern> TrafficPatterns(double scale)
{
    const auto scaled = [scale](int n) { return std::max(1, static_cast<int>(n * scale)); };
    return {
        {"one connection per event, 1 sender", 1, scaled(4000), false},
        {"one connection per event, 16 senders", kSenders, scaled(400), false},
        {"16 senders, persistent connections", kSenders, scaled(2000), true},
    };
}

void RunTraffic(int rounds, double scale)
{
    std::vector<CPattern> patterns = TrafficPatterns(scale);
    if (s_nOnlyPattern > patterns.size())
        throw std::runtime_error("--pattern: there are " + std::to_string(patterns.size()) + " patterns");
    if (s_nOnlyPattern > 0)
        patterns = {patterns[s_nOnlyPattern - 1]};
    const std::string tag = std::to_string(getpid());
    const std::string programName = "tvbench-program-" + tag;
    const std::string minimalName = "tvbench-minimal-" + tag;
    CPrivateHome home;
    CServerProcess program(s_strProgram, {}, home.Environment(programName));
    CServerProcess minimal(MINIMAL_SERVER_PATH, {minimalName}, Environment());
    if (!WaitListening(programName) || !WaitListening(minimalName))
        throw std::runtime_error("a server did not start listening");
    WaitQuiet(program.Pid());

    std::vector<CSeries> series(patterns.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            const auto runProgram = [&] { series[i].m_program.push_back(RunPattern(program, programName, patterns[i])); };
            const auto runMinimal = [&] { series[i].m_minimal.push_back(RunPattern(minimal, minimalName, patterns[i])); };
            if (round % 2 == 0) {
                runProgram();
                runMinimal();
            } else {
                runMinimal();
                runProgram();
            }
        }
        std::fprintf(stderr, "traffic round %d of %d done\n", round + 1, rounds);
    }
    program.Stop(SIGTERM);
    PrintTraffic(patterns, series);
}

// ---- Drain into a full store -----------------------------------------------

// The data file of a full 10,000-slot store, older than every text sent.
std::string FullDataFile(const CPrivateHome& scratch)
{
    ResetStore(kFullStore);
    for (int i = 0; i < kFullStore; ++i)
        AddMessage(EventText(i % 2 ? 3 : 1, 1200000000 + i));
    if (SaveEventFile(scratch.DataFolder()).kind != FileOutcome::Saved)
        throw std::runtime_error("cannot write the full data file");
    return EventFilePath(scratch.DataFolder());
}

// Sends texts from kSenders persistent connections at once.
void SendAll(const std::string& name, const std::vector<std::string>& texts)
{
    std::vector<std::thread> senders;
    std::atomic<bool> failed{false};
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            CSenderConnection connection;
            std::string reply;
            if (!connection.Connect(name))
                failed = true;
            for (std::size_t i = static_cast<std::size_t>(s); i < texts.size() && !failed; i += kSenders) {
                if (!connection.Send(texts[i]) || !connection.ReceiveReply(reply))
                    failed = true;
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    if (failed)
        throw std::runtime_error("a drain sender failed");
}

std::vector<std::string> DistinctTexts(int type, int firstTime, int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(EventText(type, firstTime + i));
    return texts;
}

// Texts per second of GUI-thread CPU time, less what the idle thread uses.
// A few hundred texts go first, unmeasured: a program that has just
// started meets its first texts with cold caches and a heap still to grow,
// once in its life, and that would swamp the smaller drains.
double DrainOnce(const std::string& dataFile, int type, int texts)
{
    constexpr int kWarmUpTexts = 256;
    CPrivateHome home;
    fs::create_directories(home.DataFolder());
    fs::copy_file(dataFile, EventFilePath(home.DataFolder()));
    const std::string name = "tvbench-drain-" + std::to_string(getpid());
    CServerProcess program(s_strProgram, {}, home.Environment(name));
    const auto listening = Clock::now();
    if (!WaitListening(name))
        throw std::runtime_error("the program did not start listening");
    WaitQuiet(program.Pid());
    SendAll(name, DistinctTexts(type, 1250000000, kWarmUpTexts));
    const double idlePerSecond = WaitQuiet(program.Pid());

    const std::vector<std::string> events = DistinctTexts(type, 1300000000, texts);
    const double before = MainThreadCpuNanos(program.Pid());
    const auto start = Clock::now();
    SendAll(name, events);
    WaitQuiet(program.Pid());
    // The timers tick all along; what they cost idle is not the drain's.
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double nanos = std::max(MainThreadCpuNanos(program.Pid()) - before - idlePerSecond * seconds, 1.0);
    // The refresh (every 5 s from start-up) hands arrivals over, which would
    // make this no longer a drain without a hand-over.
    if (Clock::now() - listening > 4500ms)
        std::fprintf(stderr, "note: the drain of %d type-%d texts may have met a refresh\n", texts, type);
    program.Stop(SIGTERM);
    return texts / (nanos / 1e9);
}

void RunDrains(int rounds)
{
    CPrivateHome scratch;
    const std::string dataFile = FullDataFile(scratch);
    std::printf("\n| drain into a full 10,000-slot store | texts/s of GUI-thread CPU beyond idle (median) | rounds |\n|---|---|---|\n");
    std::map<std::pair<int, int>, double> medians;
    for (int type : {1, 3}) {
        for (int texts : {1000, 10000, 50000}) {
            // A small drain costs about as much as the idle thread's timers
            // do in its stretch; more rounds steady its median.
            const int runs = texts < 10000 ? 3 * rounds : rounds;
            std::vector<double> rates;
            for (int round = 0; round < runs; ++round)
                rates.push_back(DrainOnce(dataFile, type, texts));
            medians[{type, texts}] = Median(rates);
            std::printf("| type %d, %d texts | %.0f | %s |\n", type, texts, Median(rates), Range(rates).c_str());
            std::fflush(stdout);
        }
    }
    for (int type : {1, 3}) {
        const double cost10k = 10000 / medians[{type, 10000}];
        const double cost50k = 50000 / medians[{type, 50000}];
        std::printf("| type %d: 50k texts cost %.2fx what 10k cost | | |\n", type, cost50k / cost10k);
    }
}

// ---- The event archive -----------------------------------------------------

// gDurableOk=1: "OK" once the text's commit is on disk (synchronous FULL).
// The same traffic, fewer events: every answer waits for the disk.
void RunDurable(int rounds, double scale)
{
    std::vector<CPattern> patterns = TrafficPatterns(scale / 8);
    const std::string name = "tvbench-durable-" + std::to_string(getpid());
    CPrivateHome home({"gDurableOk=1"});
    CServerProcess program(s_strProgram, {}, home.Environment(name));
    if (!WaitListening(name))
        throw std::runtime_error("the durable program did not start listening");
    WaitQuiet(program.Pid());
    std::printf("\n| gDurableOk=1 | events/s (rounds) | p99 \"OK\" us (rounds) |\n|---|---|---|\n");
    for (const CPattern& pattern : patterns) {
        std::vector<CLoadFigures> figures;
        for (int round = 0; round < rounds; ++round)
            figures.push_back(RunPattern(program, name, pattern));
        const auto rates = Column(figures, &CLoadFigures::m_eventsPerSecond);
        const auto p99 = Column(figures, &CLoadFigures::m_p99Micros);
        std::printf("| %s | %.0f (%s) | %.0f (%s) |\n", pattern.m_name, Median(rates), Range(rates).c_str(),
                    Median(p99), Range(p99).c_str());
        std::fflush(stdout);
    }
    program.Stop(SIGTERM);
}

// An archive in folder of count texts, numbered from 1, written by the
// archive's own writer as the program would, with the save marker of the
// data file in folder covering the first covered of them.
void BuildArchive(const std::string& folder, int64_t count, int64_t covered)
{
    CEventArchiveOptions options;
    options.m_strFolder = folder;
    CEventArchive archive(options);
    if (!archive.Opened().m_bOpen)
        throw std::runtime_error("cannot make an archive: " + archive.Opened().m_strReason);
    for (int64_t seq = 1; seq <= count; ++seq) {
        archive.Append(seq, ArchiveNowMs(), {4242, 1000}, EventText(seq % 2 ? 3 : 1, 1100000000 + static_cast<int>(seq)));
        if (seq % (kArchiveQueueLimit / 2) == 0)
            archive.Flush(1h);
    }
    const auto print = FingerprintFile(EventFilePath(folder));
    if (!print)
        throw std::runtime_error("no data file to record");
    archive.RecordSave({covered, *print});
    archive.Stop();
}

// Copies the data folder's files (the data file, the archive and its log).
void CopyFolder(const std::string& from, const std::string& to)
{
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from))
        fs::copy_file(entry.path(), fs::path(to) / entry.path().filename(), fs::copy_options::overwrite_existing);
}

// From starting the program to its endpoint answering, in a home whose
// data folder is a copy of folder (none when empty), or folder itself
// (inPlace: a large archive is not copied for each start, which would also
// leave the disk busy writing the copy back): the wall-clock time,
// and the GUI thread's processor time, which a busy machine distorts less.
// The program then ends with a signal, which saves.
struct CStart {
    double m_wallMs = 0;
    double m_guiCpuMs = 0;
};

CStart Start(const std::string& folder, const std::vector<std::string>& settings, bool inPlace = false)
{
    CPrivateHome home(settings);
    if (inPlace)
        home.UseDataHome(fs::path(folder).parent_path().string());
    else if (!folder.empty())
        CopyFolder(folder, home.DataFolder());
    static int s_nStarts = 0;
    const std::string name = "tvbench-start-" + std::to_string(getpid()) + "-" + std::to_string(++s_nStarts);
    const auto start = Clock::now();
    CServerProcess program(s_strProgram, {}, home.Environment(name));
    if (!WaitListening(name, 1ms))
        throw std::runtime_error("the program did not start listening");
    CStart figures;
    figures.m_wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    figures.m_guiCpuMs = MainThreadCpuNanos(program.Pid()) / 1e6;
    program.Stop(SIGTERM);
    return figures;
}

void PrintStarts(const char* what, const std::vector<CStart>& starts)
{
    std::vector<double> wall, cpu;
    for (const CStart& start : starts) {
        wall.push_back(start.m_wallMs);
        cpu.push_back(start.m_guiCpuMs);
    }
    std::printf("| %s | %.1f (%s) | %.1f (%s) |\n", what, Median(wall), Range(wall).c_str(), Median(cpu),
                Range(cpu).c_str());
    std::fflush(stdout);
}

double MedianCpu(const std::vector<CStart>& starts)
{
    std::vector<double> cpu;
    for (const CStart& start : starts)
        cpu.push_back(start.m_guiCpuMs);
    return Median(cpu);
}

// Start-up with a 1,000,000-text archive against one made at start and none
// at all, each beside a full 10,000-slot data file that the archive's
// marker names; then the replay of 10,000 texts that came after the marker,
// against the same start with nothing to replay.
void RunArchiveStarts(int rounds)
{
    CPrivateHome scratch;
    const std::string dataFile = FullDataFile(scratch);
    const std::string plain = scratch.DataFolder() + "-plain";
    // Used in place, under a data home of its own: its starts replay nothing.
    const std::string big = scratch.DataFolder() + "-big/Tellvane";
    const std::string replay = scratch.DataFolder() + "-replay";
    const std::string settled = scratch.DataFolder() + "-settled";
    for (const std::string& folder : {plain, big, replay, settled}) {
        fs::create_directories(folder);
        fs::copy_file(dataFile, EventFilePath(folder));
    }
    std::fprintf(stderr, "building a 1,000,000-text archive\n");
    BuildArchive(big, 1000000, 1000000);
    BuildArchive(replay, 10000, 0);
    BuildArchive(settled, 10000, 10000);

    const int runs = std::max(9, 2 * rounds + 1);
    std::vector<CStart> off, fresh, full, replayed, unreplayed;
    for (int run = 0; run < runs; ++run) {
        off.push_back(Start(plain, {"gArchive=0"}));
        fresh.push_back(Start(plain, {}));
        full.push_back(Start(big, {}, true));
        replayed.push_back(Start(replay, {}));
        unreplayed.push_back(Start(settled, {}));
    }
    std::printf("\n| start-up to the endpoint answering, full 10,000-slot data file | wall ms, median (range) "
                "| GUI-thread CPU ms, median (range) |\n|---|---|---|\n");
    PrintStarts("no archive (gArchive=0)", off);
    PrintStarts("a new archive made at start", fresh);
    PrintStarts("an archive of 1,000,000 texts", full);
    PrintStarts("replaying 10,000 texts after the last save", replayed);
    PrintStarts("the same archive, nothing to replay", unreplayed);
    std::printf("| replay of 10,000 texts: GUI-thread CPU, difference of the medians | | %.1f |\n",
                MedianCpu(replayed) - MedianCpu(unreplayed));
    for (const std::string& folder : {plain, fs::path(big).parent_path().string(), replay, settled}) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 5;
    double scale = 1.0;
    bool traffic = true, drains = true, archive = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--scale" && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (arg == "--program" && i + 1 < argc)
            s_strProgram = argv[++i];
        else if (arg == "--setting" && i + 1 < argc)
            s_Settings.push_back(argv[++i]);
        else if (arg == "--pattern" && i + 1 < argc) {
            s_nOnlyPattern = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
            drains = archive = false;
        } else if (arg == "--traffic-only")
            drains = archive = false;
        else if (arg == "--drains-only")
            traffic = archive = false;
        else if (arg == "--archive-only")
            traffic = drains = false;
        else {
            std::fprintf(stderr, "usage: program_bench [--rounds N] [--scale X] [--program PATH] "
                                 "[--setting KEY=VALUE]... [--traffic-only | --drains-only | --archive-only | "
                                 "--pattern N]\n");
            return 2;
        }
    }
    double load[3] = {};
    getloadavg(load, 3);
    std::printf("program_bench: %s, %d rounds, %ld CPUs, load average %.2f at the start\n", s_strProgram.c_str(),
                rounds, sysconf(_SC_NPROCESSORS_ONLN), load[0]);
    for (const std::string& line : s_Settings)
        std::printf("setting %s\n", line.c_str());
    try {
        if (traffic)
            RunTraffic(rounds, scale);
        if (drains)
            RunDrains(rounds);
        if (archive) {
            RunDurable(rounds, scale);
            RunArchiveStarts(rounds);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "program_bench: %s\n", e.what());
        return 1;
    }
    getloadavg(load, 3);
    std::printf("\nload average %.2f at the end\n", load[0]);
    return 0;
}
