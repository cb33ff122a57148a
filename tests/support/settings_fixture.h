#pragma once

// A fixture that gives each test its own configuration folder and its own
// environment: XDG_CONFIG_HOME points at a fresh temporary folder (through the
// settings store's environment seam, and in the real environment too, so that
// nothing can reach the user's own ~/.config), the proxy variables are unset
// unless a test sets them, and "today" is a fixed date.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include <algorithm>
#include <csignal>
#include <functional>
#include <vector>

#include "settings/environment.h"
#include "settings/settings.h"
#include "settings/short_date.h"
#include "support/temp_folder.h"

namespace testing {

constexpr std::chrono::year_month_day Ymd(int y, unsigned m, unsigned d) {
    return std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                       std::chrono::day{d}};
}

inline constexpr std::chrono::year_month_day kFixedToday = std::chrono::year_month_day{
    std::chrono::year{2024}, std::chrono::month{3}, std::chrono::day{15}};

class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = folder_.emplace().Path().string();
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            saved_xdg_ = old;
        }
        ::setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
        env_["XDG_CONFIG_HOME"] = ConfigHome();
        env_["HOME"] = root_ + "/home";
        SetEnvironmentLookup([this](const std::string& name) -> std::optional<std::string> {
            auto it = env_.find(name);
            if (it == env_.end()) {
                return std::nullopt;
            }
            return it->second;
        });
        SetTodaySource([] { return kFixedToday; });
        Settings = TSettings{};
        FirstRun = false;
    }

    void TearDown() override {
        SetEnvironmentLookup({});
        SetTodaySource({});
        if (saved_xdg_) {
            ::setenv("XDG_CONFIG_HOME", saved_xdg_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        folder_.reset();
    }

    std::string ConfigHome() const { return root_ + "/config"; }
    std::string IniPath() const { return ConfigHome() + "/quorvane/quorvane.ini"; }

    static void WriteFile(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        ASSERT_TRUE(out.good()) << path;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The names in a folder, for checking that no temporary file is left.
    static std::vector<std::string> Entries(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs fn in a child process whose files may not grow past `limit` bytes,
    // as on a full disk: a write past it fails (EFBIG). Returns fn's result,
    // 98 when fn threw something else than ESettingsWriteError, -1 on a crash.
    static int InChildWithFileSizeLimit(rlim_t limit, const std::function<int()>& fn) {
        pid_t pid = ::fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit rl{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            int rc = 98;
            try {
                rc = fn();
            } catch (...) {
                rc = 98;
            }
            ::_exit(rc);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::optional<TTempFolder> folder_;
    std::string root_;
    std::map<std::string, std::string> env_;
    std::optional<std::string> saved_xdg_;
};

}  // namespace testing
