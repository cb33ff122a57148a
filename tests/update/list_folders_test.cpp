// Where the lists are read from and installed to, with real files standing in
// for the program's copy and the user's.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "settings/environment.h"
#include "support/temp_folder.h"
#include "update/list_folders.h"

namespace {

enum class TCopy { None, File, Folder };

struct TFoldersRow {
    const char* Case;
    bool ProgramWritable;
    TCopy UserCopy;
    TCopy ProgramCopy;
    const char* ReadFrom;   // "program" or "user"
    const char* InstallTo;  // "program" or "user"
};

TEST(ListFoldersTest, ReadsAndInstallsWhereTheProgramFolderAllows) {
    const TFoldersRow rows[] = {
        {"a folder of one's own ignores the user's copy", true, TCopy::File, TCopy::File, "program",
         "program"},
        {"a shared folder prefers the user's copy", false, TCopy::File, TCopy::File, "user",
         "user"},
        {"a shared folder without a user's copy", false, TCopy::None, TCopy::File, "program",
         "user"},
        {"a folder in the user's place is passed over", false, TCopy::Folder, TCopy::File,
         "program", "user"},
        {"neither has it: the program's, reported missing", false, TCopy::None, TCopy::None,
         "program", "user"},
    };
    for (const TFoldersRow& row : rows) {
        SCOPED_TRACE(row.Case);
        TTempFolder program;
        TTempFolder user;
        auto place = [](const TTempFolder& folder, TCopy copy) {
            if (copy == TCopy::File) {
                folder.Write("senate.dat", "x");
            } else if (copy == TCopy::Folder) {
                std::filesystem::create_directory(folder.Path("senate.dat"));
            }
        };
        place(user, row.UserCopy);
        place(program, row.ProgramCopy);
        const std::map<std::string, std::string> folder{{"program", program.Folder()},
                                                        {"user", user.Folder()}};

        const qv::TListFolders folders =
            qv::ListFolders(program.Folder(), row.ProgramWritable, user.Folder());
        EXPECT_EQ(qv::ListFilePath(folders, "senate.dat"), folder.at(row.ReadFrom) + "senate.dat");
        EXPECT_EQ(folders.Install, folder.at(row.InstallTo));
    }
}

struct TDataHomeRow {
    std::optional<std::string> XdgDataHome;
    const char* Expected;
};

TEST(ListFoldersTest, TheUsersFolderFollowsXdgDataHomeUnlessTheProgramsIsWritable) {
    const TDataHomeRow rows[] = {
        {"/data", "/data/quorvane/"},
        {"/data//", "/data/quorvane/"},
        {"/", "/quorvane/"},
        {"relative/data", "/home/jo/.local/share/quorvane/"},
        {"", "/home/jo/.local/share/quorvane/"},
        {std::nullopt, "/home/jo/.local/share/quorvane/"},
    };
    for (const TDataHomeRow& row : rows) {
        SCOPED_TRACE(row.XdgDataHome.value_or("(unset)"));
        SetEnvironmentLookup([&](const std::string& name) -> std::optional<std::string> {
            if (name == "HOME") {
                return "/home/jo";
            }
            return name == "XDG_DATA_HOME" ? row.XdgDataHome : std::nullopt;
        });
        // A folder nobody may write: the user's folder takes the updates.
        const qv::TListFolders folders = qv::ListFolders("/nonexistent/quorvane/");
        EXPECT_EQ(folders.Install, row.Expected);
        ASSERT_EQ(folders.Read.size(), 2u);
        EXPECT_EQ(folders.Read[1], "/nonexistent/quorvane/");
    }
    SetEnvironmentLookup({});
    // A writable folder keeps everything.
    TTempFolder program;
    const qv::TListFolders folders = qv::ListFolders(program.Folder());
    EXPECT_EQ(folders.Install, program.Folder());
    EXPECT_EQ(folders.Read, std::vector<std::string>{program.Folder()});
}

}  // namespace
