#include <cstdio>
#include <iostream>

#include "agent_app.h"
#include "command_line.h"
#include "window_platform.h"

namespace {

constexpr int kExitNoDisplay = 1;

}  // namespace

int main(int argc, char** argv)
{
    if (const auto answered = AnswerCommandLine(argc, argv, std::cout, std::cerr))
        return *answered;
    if (!WindowPlatformAvailable()) {
        std::fputs("tellvane: no display; set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen to run "
                   "without windows\n",
                   stderr);
        return kExitNoDisplay;
    }
    // Qt's own options (-reverse, -platform, -style ...) are not the
    // program's: the application sees its name and nothing else.
    char name[] = "tellvane";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : name, nullptr};
    CAgentApp app(qtArgc, qtArgv);
    app.InitInstance();
    return app.ExitStatus();
}
