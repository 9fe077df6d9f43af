// Command-line options that only one system has, such as registering the
// program with the Windows event log. Each answers and ends the program; the
// agent's own command line lists them after its own.
#pragma once

#include <ostream>
#include <span>
#include <string_view>

struct CCommandOption {
    std::string_view m_name;  // "--register-event-source"
    std::string_view m_help;  // one line for the usage text
    int (*m_run)(std::ostream& out, std::ostream& err);  // returns the exit status
};

// This system's options; none on Linux.
std::span<const CCommandOption> PlatformCommandOptions();
