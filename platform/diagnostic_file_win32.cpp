#include <windows.h>

#include "diagnostic_file.h"

namespace {

// Open for the life of the process: the exclusive sharing is what tells a
// second copy that the file is taken.
HANDLE s_hLogFile = INVALID_HANDLE_VALUE;

}  // namespace

void OpenDiagnosticFile()
{
    if (s_hLogFile != INVALID_HANDLE_VALUE)
        return;
    s_hLogFile = CreateFileA("c:\\tvaneDebug.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
}
