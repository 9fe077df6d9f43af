// Draws the navigator and the Monitor offscreen, showing a few events, into
// PNGs for the README: scripts/screenshots runs it.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include "event_details_dlg.h"
#include "event_store.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "search_proxy.h"
#include "navigator_dlg.h"
#include "settings.h"
#include "shell_services.h"

int main(int argc, char** argv)
{
    // A private home, so the run touches no real settings or data file.
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"})
        qputenv(name, home.path().toLocal8Bit());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");  // nor any desktop's notifications
    // Nor any running Tellvane's endpoint.
    qputenv("TELLVANE_ENDPOINT", "tellvane-screenshot-" + QByteArray::number(QCoreApplication::applicationPid()));
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "navigator.png";
    const QString monitorOut = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "monitor.png";
    const QString searchOut = argc > 3 ? QString::fromLocal8Bit(argv[3]) : "monitor-search.png";
    const QString detailsOut = argc > 4 ? QString::fromLocal8Bit(argv[4]) : "event-details.png";

    ShellServices().beep = [] {};
    ShellServices().playTones = [](const CToneSequence&) {};
    ShellServices().timerPeriods = {1 << 30, 1 << 30, 1 << 30};
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

    // The quick search, and the details of the newest event it leaves.
    navigator.m_pMonitor->OnFind();
    navigator.m_pMonitor->findChild<QLineEdit*>("m_edtSearch")->setText("door 12");
    QApplication::processEvents();
    saved = navigator.m_pMonitor->grab().save(searchOut, "PNG") && saved;
    CEventDetailsDlg details(navigator.m_pMonitor);
    const QModelIndex newest = navigator.m_pMonitor->Shown().mapToSource(navigator.m_pMonitor->Shown().index(0, 0));
    details.ShowEvent(navigator.m_pMonitor->Model().Rows()[newest.row()].rec);
    details.EnableSteps(false, true);
    details.show();
    QApplication::processEvents();
    saved = details.grab().save(detailsOut, "PNG") && saved;
    navigator.ExitWithoutAsking();
    return saved ? 0 : 1;
}
