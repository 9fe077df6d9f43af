// Qt tries the platform plugins it is given, in order, and ends the process
// through qFatal when none starts (no X display, no Wayland compositor, a
// plugin not installed). It offers no way to ask first. Asking in a child
// process that starts the platform once more cost every start-up tens of
// milliseconds; instead, a message handler of the program's own is in place
// while the application is made, and turns that fatal message into one line
// and status 1. The plugins' warnings on the way are held back: after a
// failure they would only repeat it, after a success they are passed on.
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

#include <QString>
#include <QtGlobal>

#include "window_platform.h"

namespace {

constexpr int kExitNoDisplay = 1;

// The context's strings are string literals (file, function, category).
struct CHeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

const char* s_pLine = nullptr;
// Qt may start threads of its own (the session bus) while the application is
// made, and they may warn at the same time as the main thread.
std::mutex s_HeldMutex;
QtMessageHandler s_Previous = nullptr;
std::vector<CHeldMessage>* s_pHeld = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(s_pLine, stderr);
        std::fflush(stderr);
        _exit(kExitNoDisplay);  // Qt's half-made application is not to be torn down
    }
    const std::lock_guard<std::mutex> lock(s_HeldMutex);
    if (s_pHeld)
        s_pHeld->push_back({type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

CWindowPlatformGuard::CWindowPlatformGuard(const char* line)
{
    s_pLine = line;
    s_pHeld = new std::vector<CHeldMessage>;
    s_Previous = qInstallMessageHandler(HoldOrEnd);
}

CWindowPlatformGuard::~CWindowPlatformGuard()
{
    qInstallMessageHandler(s_Previous);
    std::vector<CHeldMessage> held;
    {
        const std::lock_guard<std::mutex> lock(s_HeldMutex);
        held.swap(*s_pHeld);
        delete std::exchange(s_pHeld, nullptr);
    }
    for (const CHeldMessage& message : held)
        qt_message_output(message.type, QMessageLogContext(message.file, message.line, message.function, message.category),
                          message.text);
}
