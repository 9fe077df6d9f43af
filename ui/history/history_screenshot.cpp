// Draws the History window offscreen over a week of made-up events into a
// PNG for the README: scripts/screenshots runs it.

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <chrono>

#include "event_archive.h"
#include "history_dlg.h"
#include "shell_services.h"

namespace {

// 2026-12-01 00:00 UTC.
constexpr int64_t kWeekStart = 1796083200;

struct CSample {
    const char* name;
    const char* desc;
    const char* locking;
    int lid;
    int level;
};

constexpr CSample kSamples[] = {
    {"Anna", "Access granted", "Door 12 Entrance", 12, 0}, {"Ben", "Access granted", "Door 14 Archive", 14, 0},
    {"", "Door opened", "Door 12 Entrance", 12, 0},        {"Carla", "Access granted", "Door 3 Stores", 3, 0},
    {"", "Battery low", "Door 3 Stores", 3, 1},            {"", "Door left open", "Door 12 Entrance", 12, 1},
    {"", "Manipulation detected", "Door 14 Archive", 14, 2},
};

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"})
        qputenv(name, home.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "history.png";

    // A week of five office days and a quiet weekend: busy working hours,
    // quiet nights, the warnings and alarms clustering one afternoon.
    {
        CEventArchiveOptions options;
        options.m_strFolder = home.path().toStdString();
        CEventArchive archive(options);
        uint64_t ticket = 0;
        int64_t seq = 1;
        for (int day = 0; day < 7; ++day)
            for (int hour = 0; hour < 24; ++hour) {
                const bool office = (day < 4 || day == 6) && hour >= 7 && hour <= 18;
                const int count = office ? 6 + (hour * 7 + day * 3) % 9 : (hour + day) % 3 == 0;
                for (int i = 0; i < count; ++i) {
                    const int pick = (day == 3 && hour >= 13 && hour <= 16) ? 4 + (i % 3) : (i + hour + day) % 4;
                    const CSample& s = kSamples[(seq % 17 == 0) ? 4 + seq % 3 : pick];
                    const int64_t t = kWeekStart + day * 86400 + hour * 3600 + i * 3600 / std::max(1, count);
                    const std::string text = "8,3," + std::to_string(t) + "," + s.name + "," + s.desc +
                                             ",Head office," + s.locking + ",1," + std::to_string(s.lid) + ",7,3," +
                                             std::to_string(s.level) + ",4711,0,Key 4711,5,0,1,0,0,0,0";
                    ticket = archive.Append(seq, t * 1000 + 350, CPeer{4242, 1000}, text);
                    ++seq;
                }
            }
        archive.WaitCommitted(ticket, std::chrono::seconds(30));
        archive.Stop();
    }

    CHistoryDlg history(nullptr, home.path().toStdString() + "/archive.sqlite");
    history.resize(1100, 620);
    history.show();
    history.NarrowTo(kWeekStart, kWeekStart + 7 * 86400 - 1);
    if (!QTest::qWaitFor([&] { return history.Settled(); }, 30000))
        return 1;
    QTest::qWait(200);
    return history.grab().save(out, "PNG") ? 0 : 1;
}
