// The qvtool subcommands. Each takes the arguments after its own name and
// returns the process exit code; each lives in its own source file.
#pragma once

#include <string>
#include <vector>

namespace qvtool {

using Args = std::vector<std::string>;

int RunSend(const Args& args);    // send.cpp
int RunFetch(const Args& args);   // fetch.cpp
int RunExpand(const Args& args);  // archive.cpp
int RunPack(const Args& args);    // archive.cpp
int RunFillForm(const Args& args);  // fill_form.cpp
int RunUpdate(const Args& args);  // update.cpp
int RunKeygen(const Args& args);  // keygen.cpp
int RunLists(const Args& args);   // lists.cpp

}  // namespace qvtool
