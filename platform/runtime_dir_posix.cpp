#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QString>

#include "runtime_dir.h"

namespace {

// A folder no other account can reach or could have planted anything in: a
// real folder (not a link) of this user that nobody else may write to. One
// that others could still read or enter is closed to them first.
bool MakeFolderPrivate(const std::string& path)
{
    struct stat st = {};
    if (path.empty() || path[0] != '/' || ::lstat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return false;
    return (st.st_mode & 07777) == 0700 || ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

std::string RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && MakeFolderPrivate(runtime))
        return runtime;
    // Qt's own choice makes a runtime-<user> folder in the temp folder when
    // the variable is missing or unfit: never the shared folder itself.
    const std::string fallback = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
    return MakeFolderPrivate(fallback) ? fallback : std::string();
}
