// A user profile with no settings and no data file, for tests that start the
// navigator or its dialogs in-process.
#pragma once

#include <QString>

// On Linux the settings, data and runtime folders move into dir; on Windows,
// where they are the registry and the executable's folder, the settings key
// and the data file beside the test are removed instead.
void UseFreshProfile(const QString& dir);
