// The "one instance" locks. A named mutex "ZQTellvane" on Windows, a lock
// file ZQTellvane.lock in the per-user runtime folder elsewhere: one
// instance per logon. And, where the data folder depends on the
// environment, a lock tied to the data folder itself: one instance per data
// file, whatever the environment says.
#pragma once

#include <memory>
#include <string>

class CInstanceLock {
public:
    virtual ~CInstanceLock() = default;
};

// Waits up to waitMs for the lock. Null when another instance holds it; the
// lock is held until the returned object is destroyed (at exit).
std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs = 1000);

// The same for the data folder: null while another process holds it. The
// kernel lets go when the holder ends, however it ends, and no other account
// can take it. Where nothing can be locked (no folder, nothing writable
// beside it), nothing could be saved either: the result then holds nothing.
std::unique_ptr<CInstanceLock> AcquireDataLock(const std::string& dataFolder, int waitMs = 1000);
