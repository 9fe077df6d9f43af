// What the program needs of the operating system beyond Qt: one file per
// platform (platform_posix.cpp, platform_win32.cpp) implements it.
#pragma once

#include <memory>
#include <string>

// The machine-wide "one instance per logon" lock: a named mutex
// "ZQTellvane" on Windows, a lock file ZQTellvane.lock in the per-user
// runtime folder elsewhere.
class CInstanceLock {
public:
    virtual ~CInstanceLock() = default;
};

// Waits up to waitMs for the lock. Null when another instance holds it; the
// lock is held until the returned object is destroyed (at exit).
std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs = 1000);

// Creates the empty diagnostic file and keeps it open, exclusively, for the
// life of the process. Failures are ignored.
void OpenDiagnosticFile();

// A 600 Hz tone for 500 ms; returns when it has played. Silent when no
// sound device can be opened.
void PlayBeep();

// The per-user runtime folder ($XDG_RUNTIME_DIR, else the temp folder).
std::string RuntimeDirectory();
