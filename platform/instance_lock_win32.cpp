// The instance lock on Windows: a named mutex.

#include <windows.h>

#include "instance_lock.h"

namespace {

class CNamedMutexLock : public CInstanceLock {
public:
    explicit CNamedMutexLock(HANDLE hMutex) : m_hMutex(hMutex) {}
    ~CNamedMutexLock() override
    {
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }
    CNamedMutexLock(const CNamedMutexLock&) = delete;
    CNamedMutexLock& operator=(const CNamedMutexLock&) = delete;

private:
    HANDLE m_hMutex;
};

}  // namespace

std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs)
{
    // No "Global\" prefix: one instance per logon, not per machine.
    HANDLE hMutex = CreateMutexA(nullptr, FALSE, "ZQTellvane");
    if (!hMutex)
        return nullptr;
    // An abandoned mutex belonged to an instance that ended without letting
    // go (killed, crashed); the lock is ours all the same.
    const DWORD waited = WaitForSingleObject(hMutex, DWORD(waitMs));
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(hMutex);
        return nullptr;
    }
    return std::make_unique<CNamedMutexLock>(hMutex);
}

std::unique_ptr<CInstanceLock> AcquireDataLock(const std::string&, int)
{
    // The data file lies beside the executable, and the named mutex already
    // admits one instance per logon, whichever copy of the program it is.
    return std::make_unique<CInstanceLock>();
}
