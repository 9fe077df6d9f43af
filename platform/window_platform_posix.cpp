// Qt tries the platform plugins it is given, in order, and aborts the
// process when none of them starts (no X display, no Wayland compositor, a
// plugin not installed). It offers no way to ask first, so a child process
// asks: it starts the same platform the program would, and its end tells
// whether the program can.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>

#include "window_platform.h"

namespace {

[[noreturn]] void ProbeInChild()
{
    // Qt's own complaint and abort are the parent's to report, in one line.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0)
        dup2(null, STDERR_FILENO);
    // The probe must not be taken for the program by the session manager
    // or use up the launcher's start-up notice meant for the real window.
    unsetenv("SESSION_MANAGER");
    unsetenv("DESKTOP_STARTUP_ID");
    unsetenv("XDG_ACTIVATION_TOKEN");
    int argc = 1;
    char name[] = "tellvane";
    char* argv[] = {name, nullptr};
    QGuiApplication probe(argc, argv);
    _exit(0);  // nothing of the probe is to be cleaned up or flushed
}

}  // namespace

bool WindowPlatformAvailable()
{
    const pid_t child = fork();
    if (child < 0)
        return true;  // no way to ask: Qt decides, as it would have anyway
    if (child == 0)
        ProbeInChild();
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return true;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
