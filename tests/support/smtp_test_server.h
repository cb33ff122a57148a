// Starts the loopback SMTP server of smtp_server.py for one test and stops it
// when destroyed; reads what it stored for each accepted message.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace qv::test {

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

class SmtpTestServer {
  public:
    explicit SmtpTestServer(const std::vector<std::string>& refused = {}) {
        std::string script =
            EnvOr("QV_SOURCE_DIR", QV_TEST_SOURCE_DIR) + std::string("/tests/mail/smtp_server.py");
        std::vector<std::string> args = {EnvOr("QV_PYTHON", "/usr/bin/python3"), script,
                                         FFolder.Path().string()};
        for (const std::string& address : refused) {
            args.push_back("--refuse");
            args.push_back(address);
        }
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        FPid = ::fork();
        if (FPid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* port = ::fdopen(out[0], "r");
        if (port != nullptr) {
            if (std::fscanf(port, "%d", &FPort) != 1) {
                FPort = 0;
            }
            std::fclose(port);
        }
    }

    ~SmtpTestServer() {
        if (FPid > 0) {
            ::kill(FPid, SIGTERM);
            ::waitpid(FPid, nullptr, 0);
        }
    }

    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int Port() const { return FPort; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }

    // The parsed form of accepted message n (from 1), or "" before it arrived.
    std::string Summary(int n) const { return ReadFileBytes(File(std::to_string(n) + ".txt")); }
    std::string Raw(int n) const { return ReadFileBytes(File(std::to_string(n) + ".eml")); }
    std::string Part(int n, int k) const {
        return ReadFileBytes(File(std::to_string(n) + ".part." + std::to_string(k)));
    }
    bool Has(int n) const { return std::filesystem::exists(File(std::to_string(n) + ".txt")); }

    // The lines of message n's summary that start with prefix.
    std::vector<std::string> Lines(int n, const std::string& prefix) const {
        std::vector<std::string> found;
        std::string summary = Summary(n);
        std::size_t start = 0;
        while (start < summary.size()) {
            std::size_t end = summary.find('\n', start);
            std::string line = summary.substr(start, end - start);
            if (line.starts_with(prefix)) {
                found.push_back(line);
            }
            start = end == std::string::npos ? summary.size() : end + 1;
        }
        return found;
    }

  private:
    std::filesystem::path File(const std::string& name) const { return FFolder.Path() / name; }

    TTempFolder FFolder;
    pid_t FPid = -1;
    int FPort = 0;
};

}  // namespace qv::test
