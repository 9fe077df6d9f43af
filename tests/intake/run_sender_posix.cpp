#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "run_sender.h"

namespace {

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

CRun RunSender(const std::vector<std::string>& arguments, const std::string& input)
{
    // Strings are appended piece by piece: "literal" + temporary trips a
    // false -Wrestrict warning in g++ 12.
    std::string base = testing::TempDir();
    base.append("tellvane-send-").append(std::to_string(getpid()));
    std::ofstream(base + ".in", std::ios::binary) << input;
    std::string command = ShellQuoted(TELLVANE_SEND_PATH);
    for (const std::string& argument : arguments)
        command.append(" ").append(ShellQuoted(argument));
    command.append(" <").append(ShellQuoted(base + ".in"));
    command.append(" >").append(ShellQuoted(base + ".out"));
    command.append(" 2>").append(ShellQuoted(base + ".err"));
    const int status = std::system(command.c_str());
    CRun run;
    run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.m_strOut = ReadWholeFile(base + ".out");
    run.m_strErr = ReadWholeFile(base + ".err");
    for (const char* suffix : {".in", ".out", ".err"})
        std::remove((base + suffix).c_str());
    return run;
}
