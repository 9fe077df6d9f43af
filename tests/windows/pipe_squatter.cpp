// Holds a pipe name the way another program could: the name's one instance,
// listening, and listening again after each client, until it is killed.
// Usage: pipe_squatter NAME HELD_EVENT
// Exit code 2 when the name could not be taken, 3 on bad use.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 3;
    const HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (!held)
        return 3;
    const HANDLE pipe = CreateNamedPipeA(("\\\\.\\pipe\\" + std::string(argv[1])).c_str(), PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 512, 512, 0,
                                         nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return 2;
    SetEvent(held);
    for (;;) {
        ConnectNamedPipe(pipe, nullptr);
        DisconnectNamedPipe(pipe);
    }
}
