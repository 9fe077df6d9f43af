// The "one instance" lock: a named mutex "ZQTellvane" on Windows, a lock
// file ZQTellvane.lock in the per-user runtime folder elsewhere.
#pragma once

#include <memory>

class CInstanceLock {
public:
    virtual ~CInstanceLock() = default;
};

// Waits up to waitMs for the lock. Null when another instance holds it; the
// lock is held until the returned object is destroyed (at exit).
std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs = 1000);
