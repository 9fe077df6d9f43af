#include <windows.h>

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "run_sender.h"

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only in front of a quote.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    return quoted.append(backslashes * 2, '\\') + "\"";
}

HANDLE OpenInherited(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The console's text mode writes CR LF; the tests compare lines.
std::string WithoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

}  // namespace

CRun RunSender(const std::vector<std::string>& arguments, const std::string& input)
{
    // Strings are appended piece by piece: "literal" + temporary trips a
    // false -Wrestrict warning in the mingw g++ 12.
    std::string base = testing::TempDir();
    base.append("tellvane-send-").append(std::to_string(GetCurrentProcessId()));
    std::ofstream(base + ".in", std::ios::binary) << input;
    const HANDLE in = OpenInherited(base + ".in", GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = OpenInherited(base + ".out", GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = OpenInherited(base + ".err", GENERIC_WRITE, CREATE_ALWAYS);

    std::string command = Quoted(TELLVANE_SEND_PATH);
    for (const std::string& argument : arguments)
        command.append(" ").append(Quoted(argument));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    CRun run;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        DWORD code = DWORD(-1);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code))
            run.m_nExit = static_cast<int>(code);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    for (HANDLE file : {in, out, err})
        CloseHandle(file);
    run.m_strOut = WithoutCarriageReturns(ReadWholeFile(base + ".out"));
    run.m_strErr = WithoutCarriageReturns(ReadWholeFile(base + ".err"));
    for (const char* suffix : {".in", ".out", ".err"})
        std::remove((base + suffix).c_str());
    return run;
}
