// qvtool pack and expand, run as a user would run them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "support/run_qvtool.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using TResult = TQvtoolResult;

class QvtoolArchiveTest : public ::testing::Test {
  protected:
    TResult Run(const std::string& arguments) {
        return RunQvtool(arguments, dir_.Path("stderr.txt"));
    }

    std::string Path(const std::string& name) const { return dir_.Path(name); }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const fs::path& path, const std::string& data) {
        std::ofstream(path, std::ios::binary) << data;
    }

    TTempFolder dir_;
};

TEST_F(QvtoolArchiveTest, PackThenExpandEveryMethod) {
    std::mt19937 rng(5);
    std::string binary(70000, '\0');
    for (char& c : binary) {
        c = static_cast<char>(rng());
    }
    std::string text;
    while (text.size() < 300000) {
        text += "Senator Jane Doe\\tDemocrat\\tNew York\\tjane@senate.example\n";
    }
    Write(Path("senate.dat"), text);
    Write(Path("blob.bin"), binary);
    Write(Path("empty.dat"), "");
    for (const std::string method : {"NON", "RLE", "LZH", "LH5"}) {
        SCOPED_TRACE(method);
        const std::string archive = Path(method + ".qv");
        const TResult packed =
            Run("pack --method " + method + " '" + archive + "' '" + Path("senate.dat") + "' '" +
                Path("blob.bin") + "' '" + Path("empty.dat") + "'");
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(Read(archive).substr(5, 3), method);
        const std::string target = Path("out-" + method + "/new");
        for (const std::string name : {"senate.dat", "blob.bin", "empty.dat"}) {
            const TResult expanded = Run("expand '" + archive + "' " + name + " '" + target + "'");
            ASSERT_EQ(expanded.exitCode, 0) << expanded.err;
            EXPECT_EQ(expanded.out, target + "/" + name + "\n");
            EXPECT_EQ(Read(target + "/" + name), Read(Path(name)));
        }
    }
}

TEST_F(QvtoolArchiveTest, DefaultMethodIsLh5AndMissingNamesPrintNothing) {
    Write(Path("a.txt"), "hello hello hello hello");
    ASSERT_EQ(Run("pack '" + Path("a.qv") + "' '" + Path("a.txt") + "'").exitCode, 0);
    EXPECT_EQ(Read(Path("a.qv")).substr(0, 8), "QVPK\x1aLH5");
    const TResult missing = Run("expand '" + Path("a.qv") + "' b.txt '" + Path("out") + "'");
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(Run("pack --method XYZ '" + Path("b.qv") + "' '" + Path("a.txt") + "'").exitCode, 2);
    EXPECT_EQ(Run("expand only-two args").exitCode, 2);
}

TEST_F(QvtoolArchiveTest, ErrorsPrintClassAndMessage) {
    Write(Path("list.dat"), "some list text");
    ASSERT_EQ(Run("pack --method LZH '" + Path("a.qv") + "' '" + Path("list.dat") + "'").exitCode,
              0);
    std::string archive = Read(Path("a.qv"));
    archive[21 + 17] = static_cast<char>(archive[21 + 17] ^ 1);  // the entry's checksum
    Write(Path("bad.qv"), archive);
    Write(Path("out/list.dat"), "");
    fs::create_directories(Path("out"));
    Write(Path("out/list.dat"), "old");

    const TResult bad = Run("expand '" + Path("bad.qv") + "' list.dat '" + Path("out") + "'");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "EBadChecksum: Bad checksum during expansion -- data may be invalid\n");
    EXPECT_EQ(Read(Path("out/list.dat")), "old");

    Write(Path("junk.qv"), std::string(40, 'j'));
    EXPECT_EQ(Run("expand '" + Path("junk.qv") + "' list.dat '" + Path("out") + "'").err,
              "EInvalidHeader: Can't recognize compressed file header\n");

    const TResult absent = Run("expand '" + Path("none.qv") + "' list.dat '" + Path("out") + "'");
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_EQ(absent.err.rfind("EFOpenError: Cannot open file \"" + Path("none.qv") + "\"", 0), 0u)
        << absent.err;

    // A file where the target folder should be.
    Write(Path("blocked"), "");
    const TResult blocked =
        Run("expand '" + Path("a.qv") + "' list.dat '" + Path("blocked/sub") + "'");
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(blocked.err.rfind("EInOutError: ", 0), 0u) << blocked.err;
}

TEST_F(QvtoolArchiveTest, FailedPackLeavesTheOldArchiveAlone) {
    std::mt19937 rng(9);
    std::string binary(20000, '\0');
    for (char& c : binary) {
        c = static_cast<char>(rng());
    }
    Write(Path("blob.bin"), binary);
    Write(Path("a.qv"), "old archive");
    // Writes past 8 KB fail (the file size limit, with its signal ignored).
    const std::string command = "sh -c 'trap \"\" XFSZ; ulimit -f 16; exec " +
                                std::string(QVTOOL_PATH) + " pack --method NON " + Path("a.qv") +
                                " " + Path("blob.bin") + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(Read(Path("a.qv")), "old archive");
    EXPECT_FALSE(fs::exists(Path("a.qv.part0")));

    fs::create_directory(Path("folder.qv"));
    const TResult onFolder = Run("pack '" + Path("folder.qv") + "' '" + Path("blob.bin") + "'");
    EXPECT_EQ(onFolder.exitCode, 1);
    EXPECT_EQ(onFolder.err.rfind("EFCreateError: ", 0), 0u) << onFolder.err;
    EXPECT_TRUE(fs::is_empty(Path("folder.qv")));
    EXPECT_FALSE(fs::exists(Path("folder.qv.part0")));
}

}  // namespace
