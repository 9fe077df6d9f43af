#include "command_line.h"

#include <string>
#include <string_view>

#include "command_options.h"

namespace {

constexpr const char* kDescription =
    "Desktop event agent for an electronic locking system: receives event texts\n"
    "from the lock-management software, keeps them and shows them in its\n"
    "navigator and Monitor windows. It takes no other arguments; any other\n"
    "argument is ignored.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

constexpr const char* kSeeAlso = "\nSee tellvane(1) for its files, environment and exit statuses.\n";

// The system's own options follow the agent's, in the synopsis and below.
void PrintUsage(std::ostream& out)
{
    out << "Usage: tellvane [--help | --version";
    for (const CCommandOption& option : PlatformCommandOptions())
        out << " | " << option.m_name;
    out << "]\n\n" << kDescription;
    for (const CCommandOption& option : PlatformCommandOptions())
        out << "  " << option.m_name << "\n      " << option.m_help << "\n";
    out << kSeeAlso;
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    std::string warning;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(out);
            return 0;
        }
        for (const CCommandOption& option : PlatformCommandOptions()) {
            if (arg == option.m_name)
                return option.m_run(out, err);
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
