// What the event endpoint server needs of the operating system. The
// portable server (pipe_server.cpp) runs the listener and the connections;
// pipe_server_posix.cpp and pipe_server_win32.cpp implement this for their
// platform. Internal to the intake library.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A socket descriptor or a pipe HANDLE; both use -1 for "none".
using PipeHandle = std::intptr_t;
inline constexpr PipeHandle kNoPipe = -1;

// A pthread_t or a thread HANDLE.
using ThreadHandle = std::uintptr_t;

// Runs once when the listener starts; false ends it. FinishPipeLoop undoes
// it and releases the endpoint when the listener ends.
bool PreparePipeLoop();
void FinishPipeLoop();

// The endpoint instance the next client connects to, or kNoPipe when it
// cannot be made (for example the name is taken).
PipeHandle CreatePipeInstance(const std::string& name);

enum class WaitStatus {
    kConnected,   // connection is the client's
    kNone,        // nobody came in time, or the wait failed; the instance is
                  // released if it cannot be used again
    kOutOfFiles,  // a client waits, but the process may open no more files;
                  // returns after a pause, so a retry does not spin
};

// Waits for a client to connect to instance: without limit where the
// platform has no way to wake the listener otherwise, else for about a
// second, so the listener can do its timed work while nobody connects.
WaitStatus WaitForClient(PipeHandle instance, PipeHandle& connection);

// Whether the process could open one more file now; asked while the limit
// is met, to tell when there is room again.
bool HasRoomForAnotherFile();

// Runs use with the listener's reserve file let go, for work that must open
// a file while the process may open no more (a user's name is looked up in
// files, or over a socket). The reserve is taken again after, or, when
// another thread got the file first, as soon as there is room.
void WithReserveFile(const std::function<void()>& use);

enum class ReadStatus {
    kMessage,  // length bytes were read
    kEnded,    // the client went away or the read failed
    kTooLong,  // the message did not fit into kRequestSize bytes
};
ReadStatus ReadRequest(PipeHandle connection, char* request, std::size_t& length);

// True when all length bytes went out as one message.
bool WriteReply(PipeHandle connection, const char* reply, std::size_t length);

// Ends the conversation; may wait for the client to take the last reply,
// and can be interrupted like a read.
void EndConversation(PipeHandle connection);

// Releases the connection; after this its number may be reused.
void ReleasePipe(PipeHandle connection);

inline void ClosePipeConnection(PipeHandle connection)
{
    EndConversation(connection);
    ReleasePipe(connection);
}

// Called from another thread: make a read or write that thread blocks in on
// connection return, so the thread can see g_StopPipe.
void InterruptConnection(PipeHandle connection, ThreadHandle thread);

// Called from another thread: make the listener's WaitForClient return.
void InterruptListener(const std::string& name, ThreadHandle listener);

// Starts routine(arg) on a new thread with the given stack size (0: the
// default). Returns false when the thread cannot be created.
bool StartThread(void (*routine)(void*), void* arg, std::size_t stackSize, ThreadHandle& thread);

// Waits up to timeout for thread to end; true once it is joined and released.
// A timeout of 0 only tries, without blocking.
bool JoinThreadFor(ThreadHandle thread, std::chrono::milliseconds timeout);
