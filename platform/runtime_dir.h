// The per-user folder for the lock and the diagnostic file.
#pragma once

#include <string>

// The per-user runtime folder ($XDG_RUNTIME_DIR, else the temp folder).
std::string RuntimeDirectory();
