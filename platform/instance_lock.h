// The "one instance" locks. A named mutex "ZQTellvane" on Windows, a lock
// file ZQTellvane.lock in the per-user runtime folder elsewhere: one
// instance per logon. And, where the data folder depends on the
// environment, a lock on the data folder itself: one instance per data
// file, whatever the environment says and whichever path leads there.
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

// The same for the data folder, taken on the folder itself (made, private,
// when missing; tightened to the owner alone when it is this user's): null
// while another process holds it, and when the folder cannot be opened. The
// kernel lets go when the holder ends, however it ends, and no other account
// can open a private folder to take it. With no folder at all (dataFolder
// empty) nothing is read or written: the result then holds nothing.
std::unique_ptr<CInstanceLock> AcquireDataLock(const std::string& dataFolder, int waitMs = 1000);
