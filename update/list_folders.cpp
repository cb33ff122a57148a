#include "update/list_folders.h"

#include <unistd.h>
#include <filesystem>
#include <system_error>

#include "settings/environment.h"

namespace qv {

TListFolders ListFolders(const std::string& programDirectory, bool programDirectoryWritable,
                         const std::string& userFolder) {
    if (programDirectoryWritable) {
        return {programDirectory, {programDirectory}};
    }
    return {userFolder, {userFolder, programDirectory}};
}

TListFolders ListFolders(const std::string& programDirectory) {
    // access() answers for the real user and also refuses a read-only mount.
    const bool writable = ::access(programDirectory.c_str(), W_OK) == 0;
    return ListFolders(programDirectory, writable,
                       ProgramUserFolder("XDG_DATA_HOME", ".local/share") + "/");
}

std::string ListFilePath(const TListFolders& folders, const std::string& name) {
    for (const std::string& folder : folders.Read) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(folder + name, ec)) {
            return folder + name;
        }
    }
    return folders.Read.back() + name;
}

}  // namespace qv
