// Runs tellvane-send as a separate program, as a user would, with the given
// arguments and standard input; one file per platform starts it.
#pragma once

#include <string>
#include <vector>

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

CRun RunSender(const std::vector<std::string>& arguments, const std::string& input = "");

// The whole content of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
