#include <unistd.h>

#include <filesystem>

#include "intake_test_support.h"

int ProcessThreadCount()
{
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error)
        return -1;
    return static_cast<int>(std::distance(tasks, std::filesystem::directory_iterator()));
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }
