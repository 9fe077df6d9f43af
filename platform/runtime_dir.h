// The per-user folder for the lock and the diagnostic file.
#pragma once

#include <string>

// The per-user runtime folder: $XDG_RUNTIME_DIR when it is this user's own
// and private (mode 0700), else a private per-user folder; never the shared
// temp folder. Empty when there is none: nothing is then kept there. On
// Windows, the user's own temp folder.
std::string RuntimeDirectory();
