// Where the five list files are read from and where the updater installs
// them.
//
// The program ships its lists in its own folder and keeps them current
// there. A system-wide installation is a folder the user cannot write: its
// lists stay as shipped, the updater installs into the user's data folder
// ($XDG_DATA_HOME/quorvane/, by default ~/.local/share/quorvane/) instead,
// and each list is read from there first, from the program's folder when the
// user has no copy of it. Where the program's folder can be written (a build
// tree, a folder of one's own, root on a system-wide installation), the user's
// folder plays no part, so that another installation's updates never hide
// these lists.
#pragma once

#include <string>
#include <vector>

namespace qv {

struct TListFolders {
    // Where the updater writes the lists and its work files; ends in "/".
    std::string Install;
    // Where each list is looked for, in order; every entry ends in "/".
    std::vector<std::string> Read;
};

// The rule itself. `programDirectory` and `userFolder` end in "/".
TListFolders ListFolders(const std::string& programDirectory, bool programDirectoryWritable,
                         const std::string& userFolder);

// The rule for this process: whether it may write `programDirectory` (ending
// in "/") is asked of the file system, and the user's folder is
// ProgramUserFolder("XDG_DATA_HOME", ".local/share"). Creates nothing.
TListFolders ListFolders(const std::string& programDirectory);

// The list file `name` in the first of `folders.Read` that has it; in the
// last one, whose reader then reports it missing, when none has. A folder or
// other non-file standing at a name is passed over.
std::string ListFilePath(const TListFolders& folders, const std::string& name);

}  // namespace qv
