// The History window over the archive of 1,000,000 events (history_archive.h),
// offscreen, worked as a user works it: each kind of filter and some
// combinations, typing in the search field, the timeline over a few days
// and over everything, scrolling through the pages of every event, and an
// export of them all with its progress dialog. For each it prints how long
// the window took to draw the first page, the count and the timeline, and
// the GUI thread's longest stall, measured as the responsiveness test
// measures it: the longest gap between the beats of a 5 ms timer.
//
//   history_window_bench [--rounds N]     (the cases are run N times; default 3)
//
// The machine is shared: the load is printed with the figures, each stall
// with the GUI thread's time on a core and waiting for one within it (a
// thread that waited for a core was not stalled by the window), and beside
// each case the processor time of the GUI thread and of the whole process.
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "history_archive.h"
#include "history_dlg.h"
#include "history_model.h"
#include "history_row_text.h"
#include "private_home.h"
#include "settings.h"
#include "shell_services.h"
#include "timeline_widget.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int kWaitMs = 120000;

double CpuMs(clockid_t clock)
{
    timespec t = {};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double ResidentMb()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    in >> one >> five >> fifteen;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f, %.2f, %.2f", one, five, fifteen);
    return text;
}

// Runs the event loop, as the program does, until done() or the time is up;
// QTest's waits would sleep between their rounds of events, which delays
// what the window shows and stalls the probe. Whether done() came true.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

void RunFor(int ms)
{
    RunUntil([] { return false; }, ms);
}

// Types text into the search field, one key every intervalMs, while the
// event loop runs; returns once the query the typing ends with has begun.
void Type(CHistoryDlg& dlg, const QString& text, int intervalMs)
{
    QLineEdit* field = dlg.findChild<QLineEdit*>(QStringLiteral("m_edtSearch"));
    int typed = 0;
    bool queried = false;
    QTimer keys;
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (typed < text.size()) {
            queried = false;
            QTest::keyClick(field, text.at(typed++).toLatin1());
        }
    });
    const QMetaObject::Connection reset =
        QObject::connect(dlg.Model(), &QAbstractItemModel::modelReset, [&] { queried = typed == text.size(); });
    keys.start(intervalMs);
    RunUntil([&] { return queried; }, kWaitMs);
    QObject::disconnect(reset);
}

// The calling thread's time on a core and waiting for one, in ms, and the
// page faults it waited on the disk for: the scheduler's own account, which
// tells a thread that worked from one that was ready but found both cores
// taken by the machine's other work, or that waited for code or data to be
// read in.
struct CThreadTimes {
    double running = 0, waiting = 0;
    long diskFaults = 0;
};

CThreadTimes ThreadTimes()
{
    CThreadTimes times;
    unsigned long long running = 0, waiting = 0;
    if (std::FILE* stat = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(stat, "%llu %llu", &running, &waiting) == 2)
            times = {static_cast<double>(running) / 1e6, static_cast<double>(waiting) / 1e6};
        std::fclose(stat);
    }
    rusage usage = {};
    if (getrusage(RUSAGE_THREAD, &usage) == 0)
        times.diskFaults = usage.ru_majflt;
    return times;
}

// "68.4 (0.8, 0.4, 3)": a stall's ms, then the GUI thread's ms on a core and
// waiting for one, and its page faults read from the disk, within it.
std::string StallText(double ms, const CThreadTimes& times)
{
    char text[64];
    std::snprintf(text, sizeof text, "%5.1f (%4.1f, %5.1f, %ld)", ms, times.running, times.waiting, times.diskFaults);
    return text;
}

// Paints are the moment something is shown: the application tells the
// bench after each one has been delivered.
class CBenchApplication : public QApplication {
public:
    using QApplication::QApplication;
    std::function<void(QObject*)> painted;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        const bool handled = QApplication::notify(receiver, event);
        if (paint && painted)
            painted(receiver);
        return handled;
    }
};

// The responsiveness test's measure: a 5 ms timer's longest gap, with the
// GUI thread's times within it. It also keeps the largest resident size it
// sees.
class CStallProbe {
public:
    CStallProbe()
    {
        m_Timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_Timer, &QTimer::timeout, [this] {
            Beat();
            if (m_bSampleMemory)
                m_dPeakMb = std::max(m_dPeakMb, ResidentMb());
        });
        m_Clock.start();
    }
    void Start(bool sampleMemory = false)
    {
        m_bSampleMemory = sampleMemory;
        m_dPeakMb = ResidentMb();
        m_nLargest = 0;
        m_LargestTimes = {};
        m_nLast = m_Clock.nsecsElapsed();
        m_LastTimes = ThreadTimes();
        m_Timer.start(5);
    }
    // The longest gap, in ms, up to now.
    double Stop()
    {
        m_Timer.stop();
        Beat();
        return static_cast<double>(m_nLargest) / 1e6;
    }
    double PeakMb() const { return m_dPeakMb; }
    // The GUI thread's times within the longest gap.
    const CThreadTimes& LargestGapTimes() const { return m_LargestTimes; }

private:
    void Beat()
    {
        const qint64 now = m_Clock.nsecsElapsed();
        const CThreadTimes times = ThreadTimes();
        if (now - m_nLast > m_nLargest) {
            m_nLargest = now - m_nLast;
            m_LargestTimes = {times.running - m_LastTimes.running, times.waiting - m_LastTimes.waiting,
                              times.diskFaults - m_LastTimes.diskFaults};
        }
        m_nLast = now;
        m_LastTimes = times;
    }

    QTimer m_Timer;
    QElapsedTimer m_Clock;
    qint64 m_nLast = 0, m_nLargest = 0;
    CThreadTimes m_LastTimes, m_LargestTimes;
    bool m_bSampleMemory = false;
    double m_dPeakMb = 0;
};

// What one change showed, in ms from the query it started.
struct CShown {
    double firstPage = -1, count = -1, timeline = -1;
    double stall = 0, guiCpu = 0, processCpu = 0;
    CThreadTimes stallTimes;
    int64_t matches = 0;
    size_t bars = 0;
};

// The marks of a change: each is the end of the first paint that shows it.
// A new query (the model's reset, which each query begins with) starts
// them again, so typing that queries on each pause is timed from its last
// query.
class CWatch {
public:
    CWatch(CBenchApplication& app, CHistoryDlg& dlg) : m_Dlg(dlg)
    {
        m_Clock.start();
        QObject::connect(dlg.Model(), &QAbstractItemModel::modelReset, [this] {
            if (m_bArmed) {
                m_Shown = {};
                m_dStart = Now();
            }
        });
        app.painted = [this](QObject* receiver) {
            if (m_bArmed)
                Painted(receiver);
        };
    }

    double Now() const { return static_cast<double>(m_Clock.nsecsElapsed()) / 1e6; }

    // Runs change, and waits until the window has drawn all it shows of it.
    CShown Measure(const std::function<void()>& change, CStallProbe& probe)
    {
        const double gui = CpuMs(CLOCK_THREAD_CPUTIME_ID), process = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        m_Shown = {};
        m_dStart = Now();
        m_bArmed = true;
        probe.Start();
        change();
        const bool drawn =
            RunUntil([this] { return m_Shown.firstPage >= 0 && m_Shown.count >= 0 && m_Shown.timeline >= 0; }, kWaitMs);
        RunFor(50);  // what comes after the last answer
        m_bArmed = false;
        CShown shown = m_Shown;
        shown.stall = probe.Stop();
        shown.stallTimes = probe.LargestGapTimes();
        shown.guiCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - gui;
        shown.processCpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process;
        shown.matches = m_Dlg.Model()->Count();
        shown.bars = m_Dlg.Timeline()->Buckets().size();
        if (!drawn || !m_Dlg.Settled())
            std::fprintf(stderr, "not all drawn within %d ms\n", kWaitMs);
        return shown;
    }

private:
    void Painted(QObject* receiver)
    {
        const double at = Now() - m_dStart;
        if (receiver == m_Dlg.List()->viewport() && m_Shown.firstPage < 0 && m_Dlg.Model()->rowCount() > 0 &&
            m_Dlg.Model()->Holds(0))
            m_Shown.firstPage = at;
        else if (receiver == m_Dlg.Status() && m_Shown.count < 0 && m_Dlg.Status()->text().endsWith("events")) {
            m_Shown.count = at;
            if (m_Dlg.Model()->Count() == 0)
                m_Shown.firstPage = at;  // no page to show: the count says so
        }
        else if (receiver == m_Dlg.Timeline() && m_Shown.timeline < 0 && !m_Dlg.Timeline()->Buckets().empty())
            m_Shown.timeline = at;
    }

    CHistoryDlg& m_Dlg;
    QElapsedTimer m_Clock;
    bool m_bArmed = false;
    double m_dStart = 0;
    CShown m_Shown;
};

template <typename T>
T* Child(CHistoryDlg& dlg, const char* name)
{
    return dlg.findChild<T*>(QString::fromLatin1(name));
}

// The fields a case starts from, set without a query.
struct CFields {
    bool message = true, warning = true, alarm = true, refused = false;
    const char* search = "";
    const char* locking = "";
    const char* transponder = "";
};

void SetQuietly(CHistoryDlg& dlg, const CFields& fields)
{
    for (auto [name, on] : {std::pair{"m_chkMessage", fields.message}, {"m_chkWarning", fields.warning},
                            {"m_chkAlarm", fields.alarm}, {"m_chkRefused", fields.refused}}) {
        auto* box = Child<QCheckBox>(dlg, name);
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    for (auto [name, text] : {std::pair{"m_edtSearch", fields.search}, {"m_edtLocking", fields.locking},
                              {"m_edtTransponder", fields.transponder}}) {
        auto* edit = Child<QLineEdit>(dlg, name);
        const QSignalBlocker quiet(edit);
        edit->setText(QString::fromUtf8(text));
    }
    QHeaderView* header = dlg.List()->horizontalHeader();
    if (header->sortIndicatorSection() != kHistEventTime)
        emit header->sectionClicked(kHistEventTime);
}

void Settle(CHistoryDlg& dlg)
{
    if (!RunUntil([&] { return dlg.Settled(); }, kWaitMs))
        std::fprintf(stderr, "the window did not settle\n");
    RunFor(20);
}

struct CCase {
    const char* name;
    CFields fields;
    std::function<void(CHistoryDlg&)> change;
};

std::vector<CCase> Cases()
{
    const int64_t last = BenchArchive().Last();
    const auto range = [](int64_t from, int64_t to) { return [=](CHistoryDlg& dlg) { dlg.NarrowTo(from, to); }; };
    const auto click = [](const char* name) { return [=](CHistoryDlg& dlg) { Child<QCheckBox>(dlg, name)->click(); }; };
    const auto type = [](const char* name, const char* text) {
        return [=](CHistoryDlg& dlg) { Child<QLineEdit>(dlg, name)->setText(QString::fromUtf8(text)); };
    };
    return {
        {"everything", {}, [](CHistoryDlg& dlg) { dlg.ApplyPreset(kEverything); }},
        {"last 30 days", {}, range(last - 30 * kDay, last)},
        {"last 5 days", {}, range(last - 5 * kDay, last)},
        {"a week 2 years back", {}, range(last - 730 * kDay, last - 723 * kDay)},
        {"warnings and alarms", {}, click("m_chkMessage")},
        {"alarms", {.message = false}, click("m_chkWarning")},
        {"refused included (1,000,000)", {}, click("m_chkRefused")},
        {"locking \"Door 12\"", {}, type("m_edtLocking", "Door 12")},
        {"locking \"server\" (rare)", {}, type("m_edtLocking", "server")},
        {"transponder \"meier\"", {}, type("m_edtTransponder", "meier")},
        {"word \"opened\"", {}, type("m_edtSearch", "opened")},
        {"word \"door\" (nearly all)", {}, type("m_edtSearch", "door")},
        {"phrase \"forced open\"", {}, type("m_edtSearch", "\"forced open\"")},
        {"hostile search", {}, type("m_edtSearch", "\"unpaired * NEAR(a b) -x %_\\ '); DROP TABLE event;--")},
        {"by arrival", {},
         [](CHistoryDlg& dlg) { emit dlg.List()->horizontalHeader()->sectionClicked(kHistArrival); }},
        {"Door 12 + opened + 30 days", {.search = "opened", .locking = "Door 12"}, range(last - 30 * kDay, last)},
        {"alarms + \"Site East\" + year", {.message = false, .warning = false, .search = "\"Site East\""},
         range(last - 365 * kDay, last)},
        {"meier + door + warn/alarm + refused", {.message = false, .refused = true, .locking = "door"},
         type("m_edtTransponder", "meier")},
        {"typing \"door opened\", 80 ms a key", {},
         [](CHistoryDlg& dlg) { Type(dlg, "door opened", 80); }},
        {"typing \"door opened\", 300 ms a key", {},
         [](CHistoryDlg& dlg) { Type(dlg, "door opened", 300); }},
    };
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void RunCases(CHistoryDlg& dlg, CWatch& watch, CStallProbe& probe, int rounds)
{
    const std::vector<CCase> cases = Cases();
    std::vector<std::vector<CShown>> shown(cases.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t c = 0; c < cases.size(); ++c) {
            SetQuietly(dlg, cases[c].fields);
            dlg.ApplyPreset(kEverything);
            Settle(dlg);
            shown[c].push_back(watch.Measure([&] { cases[c].change(dlg); }, probe));
        }
    }
    std::printf("\nA change of the filter: ms from the query's start to each drawn, median of %d rounds.\n"
                "Stall: the worst round's, with the GUI thread's ms on a core and waiting for one and its page\n"
                "faults read from the disk within it; then the best round's. Processor ms of the GUI thread and\n"
                "of the process, median. Typing is timed from the query after its last key; its stall covers\n"
                "the typing.\n\n",
                rounds);
    std::printf("%-38s %10s %7s %8s %5s %8s %-31s %7s %7s\n", "case", "first page", "count", "timeline", "bars",
                "matches", "  stall (on, waiting, faults), best", "GUI cpu", "cpu");
    for (size_t c = 0; c < cases.size(); ++c) {
        const auto column = [&](double CShown::*field) {
            std::vector<double> values;
            for (const CShown& s : shown[c])
                values.push_back(s.*field);
            return values;
        };
        const auto worst = std::max_element(shown[c].begin(), shown[c].end(),
                                            [](const CShown& a, const CShown& b) { return a.stall < b.stall; });
        const auto best = std::min_element(shown[c].begin(), shown[c].end(),
                                           [](const CShown& a, const CShown& b) { return a.stall < b.stall; });
        std::printf("%-38s %10.1f %7.1f %8.1f %5zu %8lld %-24s %5.1f %7.1f %7.1f\n", cases[c].name,
                    Median(column(&CShown::firstPage)), Median(column(&CShown::count)),
                    Median(column(&CShown::timeline)), shown[c].back().bars,
                    static_cast<long long>(shown[c].back().matches), StallText(worst->stall, worst->stallTimes).c_str(), best->stall,
                    Median(column(&CShown::guiCpu)), Median(column(&CShown::processCpu)));
    }
}

// Whether every row the list shows now is held.
bool ShownRowsHeld(CHistoryDlg& dlg)
{
    QTableView* list = dlg.List();
    const int top = std::max(0, list->rowAt(0));
    int bottom = list->rowAt(list->viewport()->height() - 1);
    if (bottom < 0)
        bottom = dlg.Model()->rowCount() - 1;
    return dlg.Model()->Holds(top) && dlg.Model()->Holds(bottom);
}

// Scrolls through the pages of every event, one page of rows at a time, then
// jumps as a dragged scroll bar does; each step is timed to the paint that
// shows its rows.
void RunScrolling(CBenchApplication& app, CHistoryDlg& dlg, CStallProbe& probe, double baselineMb)
{
    SetQuietly(dlg, {.refused = true});
    dlg.ApplyPreset(kEverything);
    Settle(dlg);
    const int rows = dlg.Model()->rowCount();
    const int page = static_cast<int>(dlg.Model()->Pages().PageSize());
    QElapsedTimer clock;
    double drawnAt = -1;
    app.painted = [&](QObject* receiver) {
        if (receiver == dlg.List()->viewport() && drawnAt < 0 && ShownRowsHeld(dlg))
            drawnAt = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    const auto step = [&](int row) {
        drawnAt = -1;
        clock.start();
        dlg.List()->scrollTo(dlg.Model()->index(row, 0), QAbstractItemView::PositionAtTop);
        if (!RunUntil([&] { return drawnAt >= 0; }, kWaitMs))
            std::fprintf(stderr, "row %d not drawn\n", row);
        return drawnAt;
    };
    const double gui = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    probe.Start(true);
    std::vector<double> further, jumps;
    for (int p = 1; p <= 40; ++p)
        further.push_back(step(p * page + 3));
    for (double at : {0.5, 0.9, 0.1, 1.0, 0.0})
        jumps.push_back(step(std::min(rows - 1, static_cast<int>(at * rows))));
    const double stall = probe.Stop();
    const double guiCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - gui;
    app.painted = {};
    std::printf("\nScrolling through %d matches: the next page of %d rows drawn in %.1f ms (median of %zu; worst "
                "%.1f);\na jump to the middle, 90 %%, 10 %%, the end and the top: %.1f, %.1f, %.1f, %.1f, %.1f ms; "
                "stall %s;\nGUI thread %.1f ms of processor time in all.\n",
                rows, page, Median(further), further.size(), *std::max_element(further.begin(), further.end()),
                jumps[0], jumps[1], jumps[2], jumps[3], jumps[4], StallText(stall, probe.LargestGapTimes()).c_str(), guiCpu);
    std::printf("Resident memory with %d matches listed: %.1f MB more than before the window was made (%zu "
                "pages held; peak %.1f MB more).\n",
                rows, ResidentMb() - baselineMb, dlg.Model()->Pages().HeldPages(), probe.PeakMb() - baselineMb);
}

void RunExport(CHistoryDlg& dlg, CStallProbe& probe, const std::string& folder)
{
    SetQuietly(dlg, {.refused = true});
    dlg.ApplyPreset(kEverything);
    Settle(dlg);
    const std::string path = folder + "/everything.csv";
    ShellServices().choosePath = [&](QWidget*, const CSaveAsRequest&) { return QString::fromStdString(path); };
    QElapsedTimer clock;
    const double gui = CpuMs(CLOCK_THREAD_CPUTIME_ID), process = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    bool progressShown = false;
    const double beforeMb = ResidentMb();
    probe.Start(true);
    clock.start();
    dlg.OnSave();
    if (!RunUntil(
            [&] {
                if (auto* progress = dlg.findChild<QProgressDialog*>())
                    progressShown = progressShown || progress->isVisible();
                return !dlg.Exporting();
            },
            10 * kWaitMs))
        std::fprintf(stderr, "the export did not end\n");
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const double stall = probe.Stop();
    const double guiCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - gui, cpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process;
    std::ifstream in(path, std::ios::binary);
    int64_t lines = 0;
    std::vector<char> chunk(1 << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0)
        lines += std::count(chunk.data(), chunk.data() + in.gcount(), '\n');
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    std::printf("\nExport of %lld rows (%.0f MB): %.2f s, %.2f s of processor time (GUI thread %.2f s); progress "
                "dialog %s;\nstall %s; resident memory at most %.1f MB above what it was before the export.\n",
                static_cast<long long>(lines - 1), static_cast<double>(error ? 0 : bytes) / 1e6, seconds,
                cpu / 1e3, guiCpu / 1e3, progressShown ? "shown" : "not shown", StallText(stall, probe.LargestGapTimes()).c_str(),
                probe.PeakMb() - beforeMb);
    std::filesystem::remove(path, error);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));

    char root[] = "/tmp/tellvane-history-window-XXXXXX";
    if (!mkdtemp(root)) {
        std::perror("mkdtemp");
        return 1;
    }
    for (const auto& [name, value] : PrivateHomeVariables(root))
        setenv(name.c_str(), value.c_str(), 1);
    tzset();

    std::printf("Load average at the start: %s\n", LoadAverage().c_str());
    BenchArchive();
    malloc_trim(0);  // the generated events are gone: the baseline is the window's own

    CBenchApplication app(argc, argv);
    ResetSettings();
    CStallProbe probe;
    const double baselineMb = ResidentMb();
    {
        CHistoryDlg dlg(nullptr, BenchArchive().Path());
        dlg.resize(1200, 800);
        dlg.ShowForward();
        Settle(dlg);
        CWatch watch(app, dlg);
        RunCases(dlg, watch, probe, rounds);
        app.painted = {};
        RunScrolling(app, dlg, probe, baselineMb);
        RunExport(dlg, probe, root);
    }
    std::printf("\nLoad average at the end: %s\n", LoadAverage().c_str());
    std::error_code error;
    std::filesystem::remove_all(root, error);
    return 0;
}
