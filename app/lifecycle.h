#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/placement.h"
#include "settings/settings.h"
#include "update/first_run.h"

class TOfficialList;

// The main window's start-up and closing steps that need no window.

// Reads the five list files of the program's folder `directory` (ending in
// "/"), each from where qv::ListFolders says, in start-up order: legis.dat,
// senate.dat, house.dat, leaders.dat, misc.dat. A file that fails to load
// (any negative result, or an exception from its reader) gets its "File
// Dates" entry in `settings` set to 1/1/1999, so that the next
// update check fetches it afresh, and its warning passed to `warn` before
// the next file is read. The World Parliaments tree is cleared before it is
// read.
void LoadStartupLists(const std::string& directory, TSettings& settings,
                      const std::function<void(const std::string& message)>& warn);

// One side-bar link: a record of misc.dat's Multimedia or Additional Links
// section, as display text.
struct TLinkItem {
    std::string Caption;
    std::string Address;
};

// The section's records in file order: the first field is the caption, the
// second the address (empty if the section has a single field).
std::vector<TLinkItem> LinkItems(const TOfficialList& section);

// The proxy part of the connection settings, as the first-run request takes it.
qv::TProxyConfig FirstRunProxy(const TSettings& settings);

// Starts the first-run request on the main window's HTTP client and returns;
// `done` follows with whether the reply arrived (qv::SendFirstRunRequest in
// the program, whose contract this follows).
using TFirstRunRequest = std::function<void(qv::THttpClient& client, const qv::TProxyConfig& proxy,
                                            std::function<void(bool sent)> done)>;

enum class TWindowState { Normal, Maximized, Minimized };

// Takes the closing main window's state into `settings`: the side bar's
// width always; in the normal state the geometry and "Status" 0; maximized
// "Status" 1 with the geometry left as it was. Returns whether the settings
// are to be written, which they are not for a minimized window.
bool RecordClosingState(TSettings& settings, TWindowState state, const TWindowRect& normal,
                        int sideBarWidth);

// The warning shown after the lists load on a display of 256 colours or fewer:
// three paragraphs, each pair separated by an empty line.
extern const char* const LowColourWarning;
