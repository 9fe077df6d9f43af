// The platform glue on Windows: a named mutex for the single instance, the
// diagnostic file on drive C, the system beep and the temp folder.

#include <windows.h>

#include "platform.h"

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

// Open for the life of the process: the exclusive sharing is what tells a
// second copy that the file is taken.
HANDLE g_hLogFile = INVALID_HANDLE_VALUE;

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

void OpenDiagnosticFile()
{
    if (g_hLogFile != INVALID_HANDLE_VALUE)
        return;
    g_hLogFile = CreateFileA("c:\\tvaneDebug.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
}

void PlayBeep() { Beep(600, 500); }

std::string RuntimeDirectory()
{
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path)
        return {};
    if (length > 1 && path[length - 1] == '\\' && path[length - 2] != ':')
        --length;  // like the other folders the program names, but "C:\" stays the root
    return std::string(path, length);
}
