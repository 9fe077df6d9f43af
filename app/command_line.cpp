#include "command_line.h"

#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: tellvane [--help | --version]\n"
    "\n"
    "Desktop event agent for an electronic locking system: receives event texts\n"
    "from the lock-management software, keeps them and shows them in its\n"
    "navigator and Monitor windows. It takes no other arguments; any other\n"
    "argument is ignored.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "See tellvane(1) for its files, environment and exit statuses.\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    std::string warning;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "tellvane " TELLVANE_VERSION "\n";
            return 0;
        }
        warning.append(" ").append(arg);
    }
    if (!warning.empty())
        err << "tellvane: ignoring arguments it does not take:" << warning << "\n";
    return std::nullopt;
}
