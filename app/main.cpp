#include <iostream>
#include <optional>

#include "agent_app.h"
#include "command_line.h"
#include "parent_console.h"
#include "window_platform.h"

namespace {

constexpr char kNoDisplay[] =
    "tellvane: no display; set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen to run without windows\n";

}  // namespace

int main(int argc, char** argv)
{
    UseParentConsole();
    if (const auto answered = AnswerCommandLine(argc, argv, std::cout, std::cerr))
        return *answered;
    std::cout.flush();
    std::cerr.flush();
    LeaveParentConsole();
    // Qt's own options (-reverse, -platform, -style ...) are not the
    // program's: the application sees its name and nothing else.
    char name[] = "tellvane";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : name, nullptr};
    std::optional<CWindowPlatformGuard> noDisplay(std::in_place, kNoDisplay);
    CAgentApp app(qtArgc, qtArgv);
    noDisplay.reset();
    app.InitInstance();
    return app.ExitStatus();
}
