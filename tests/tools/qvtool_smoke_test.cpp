#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

int ExitCode(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(QvtoolTest, UnknownCommandPrintsUsageAndFails) {
    EXPECT_EQ(ExitCode(std::string(QVTOOL_PATH) + " frobnicate 2>/dev/null"), 2);
    EXPECT_EQ(ExitCode(std::string(QVTOOL_PATH) + " 2>/dev/null"), 2);
}

}  // namespace
