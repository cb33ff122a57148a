#pragma once

// Runs qvtool from a test as a user runs it. Test programs built with
// qvtool_test() know its path as QVTOOL_PATH.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct TQvtoolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs qvtool with `arguments`, already quoted for the shell; standard error
// passes through the file `errFile`, which is overwritten.
inline TQvtoolResult RunQvtool(const std::string& arguments, const std::string& errFile) {
    const std::string command = std::string(QVTOOL_PATH) + " " + arguments + " 2>'" + errFile + "'";
    TQvtoolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
        result.out += buffer.data();
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile, std::ios::binary);
    result.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}
