#include "fresh_profile.h"

#include <QtGlobal>

void UseFreshProfile(const QString& dir)
{
    const QByteArray path = dir.toLocal8Bit();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, path);
    qputenv("XDG_STATE_HOME", path + "/state");
    // No notification reaches the desktop of whoever runs the tests.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}
