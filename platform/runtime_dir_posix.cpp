#include <cstdlib>

#include <QDir>
#include <QString>

#include "runtime_dir.h"

std::string RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && QDir(QString::fromLocal8Bit(runtime)).exists())
        return runtime;
    return QDir::tempPath().toStdString();
}
