// Pieces the subcommands share for reading their arguments and input files.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"

namespace qvtool {

// An option that takes one value, and where the value goes.
using ValueOption = std::pair<const char*, std::string*>;

// Reads `args` made of exactly one operand (a URL) and options of `options`,
// each followed by its value (a later one wins). Returns the operand; nullopt
// for an unknown option, an option without its value, or no or a second
// operand.
std::optional<std::string> ParseOperandAndOptions(const Args& args,
                                                  const std::vector<ValueOption>& options);

// The whole file, or nothing when it cannot be opened or read (a folder opens
// but fails on the first read).
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace qvtool
