#pragma once

// The settings store's one window on the process environment (the
// configuration folder and the system proxy), kept behind a seam so that tests
// can supply the values, and the per-user folders it names.

#include <functional>
#include <optional>
#include <string>

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The variable's value, nullopt when it is not set.
std::optional<std::string> GetEnvironmentValue(const std::string& name);

// Tests install a lookup of their own; an empty function restores getenv.
void SetEnvironmentLookup(EnvironmentLookup lookup);

// The user's home folder: $HOME when set and not empty, else the password
// database's entry for the process's user, else ".".
std::string HomeDirectory();

// The program's own folder under one of the user's base folders of the XDG
// rules, without a trailing "/": $VARIABLE/quorvane when the variable holds an
// absolute path (a relative one is ignored, as the rules say), else
// HOME/FALLBACK/quorvane. ("XDG_CONFIG_HOME", ".config") names the settings'
// folder, ("XDG_DATA_HOME", ".local/share") the folder of the user's data.
std::string ProgramUserFolder(const std::string& variable, const std::string& fallback);

// Creates `dir` and whichever of its parents are missing, each with mode 0700
// as the XDG rules ask. A failure is left to the write that follows, which
// reports it with the file's name.
void MakeUserFolders(const std::string& dir);
