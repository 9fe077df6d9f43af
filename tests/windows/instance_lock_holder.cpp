// Takes the instance lock the way a running program does and keeps it until
// told to end.  Usage: instance_lock_holder HELD_EVENT END_EVENT
// Exit code 0 after holding the lock, 2 when it could not be taken, 3 on bad use.
#include <windows.h>

#include "platform.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 3;
    HANDLE hHeld = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE hEnd = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!hHeld || !hEnd)
        return 3;
    auto lock = AcquireInstanceLock(0);
    if (!lock)
        return 2;
    SetEvent(hHeld);
    WaitForSingleObject(hEnd, 60000);
    return 0;
}
