// Blank trimming. Each function strips one set of characters from both ends
// and is named after what it strips; the rules differ between the file
// formats and protocols on purpose, so callers pick the one their format
// states.
#pragma once

#include <string_view>

namespace qv {

// Spaces and tabs (settings file names and values, list fields, header
// values, dates).
std::string_view TrimSpacesAndTabs(std::string_view text);

// Spaces, tabs, carriage returns and line feeds (values put into web forms).
std::string_view TrimSpacesTabsAndLineBreaks(std::string_view text);

// Spaces only (entries of a recipient field).
std::string_view TrimSpaces(std::string_view text);

// Every byte up to and including the space: control characters too (SMTP
// reply lines, the subject test).
std::string_view TrimControlsAndSpaces(std::string_view text);

}  // namespace qv
