// Draws the navigator and the Monitor offscreen, showing a few events, into
// PNGs for the README: scripts/screenshots runs it.

#include <unistd.h>

#include <cstdlib>
#include <string>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "event_store.h"
#include "monitor_dlg.h"
#include "navigator_dlg.h"
#include "settings.h"
#include "shell_seams.h"

int main(int argc, char** argv)
{
    // A private home, so the run touches no real settings or data file.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"})
        setenv(name, home.path().toLocal8Bit().constData(), 1);
    // Nor any running Tellvane's endpoint.
    setenv("TELLVANE_ENDPOINT", ("tellvane-screenshot-" + std::to_string(getpid())).c_str(), 1);
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "navigator.png";
    const QString monitorOut = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "monitor.png";

    g_Beep = [] {};
    g_TimerPeriods = {1 << 30, 1 << 30, 1 << 30};
    CNavigatorDlg navigator;
    if (!navigator.OnInitDialog())
        return 1;
    gPop = 0;
    AddMessage("8,0,1796630400,Anna,Door opened,Head office,Door 12 Entrance,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,0");
    AddMessage("8,3,1796630700,Ben,Access granted,Head office,Door 14 Archive,1,14,7,4,0,4712,0,Key 4712,6,0,1,0,0,0,0");
    AddMessage("8,0,1796631000,,Door left open,Head office,Door 12 Entrance,1,12,7,3,1,65535,0,,-1,0,0,1,0,0,0");
    navigator.OnTimer(kTimerRefresh);
    navigator.show();
    QApplication::processEvents();
    bool saved = navigator.grab().save(out, "PNG");

    // The Monitor lists every day's events, with a few more of each level.
    gToday = 0;
    AddMessage("8,0,1796631300,,Battery low,Head office,Door 3 Stores,1,3,7,5,1,65535,0,,-1,0,0,0,0,0,0");
    AddMessage("8,0,1796631600,,Manipulation detected,Head office,Door 14 Archive,1,14,7,4,2,65535,0,,-1,0,1,0,0,1,0");
    AddMessage("8,3,1796631900,Anna,Access granted,Head office,Door 12 Entrance,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,0");
    navigator.OnMonitor();
    navigator.m_pMonitor->resize(800, 260);
    QApplication::processEvents();
    saved = navigator.m_pMonitor->grab().save(monitorOut, "PNG") && saved;
    navigator.ExitWithoutAsking();
    return saved ? 0 : 1;
}
