// The program's command line. The agent itself takes no arguments; --help
// and --version answer and end, anything else is ignored with a warning.
#pragma once

#include <optional>
#include <ostream>

// The exit status when the command line has been answered (--help,
// --version); nothing when the agent is to start. Warns on err about every
// argument it ignores, in one line.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
