#pragma once

// Congressional districts by ZIP code, and the officials of a ZIP code in
// the loaded Senate and House lists.
//
// The table is the shipped zccd.csv: the ZIP Code Tabulation Areas of the
// 2020 Census, each with the districts of the 119th Congress it overlaps. A
// tabulation area follows the ZIP codes of street addresses; PO-box and
// single-company ZIP codes have none and are not found.
//
// Nothing here is process-wide; a loaded table is read-only and may be
// shared between threads.

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lists/us_states.h"

class TOfficialList;

namespace qv {

// The table's file name in the program's folder.
inline constexpr const char* kZipTableFileName = "zccd.csv";

// The table file cannot be read or is not a ZIP-to-district table. The
// message names the file and, for bad content, the line.
class EZipTableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Failures of one lookup; the message holds the text as the user gave it.
class EZipLookupError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Not five digits, or five digits and a four-digit extension.
class EMalformedZip : public EZipLookupError {
  public:
    explicit EMalformedZip(std::string_view text)
        : EZipLookupError("Not a ZIP code: " + std::string(text)) {}
};

// Well formed, but no area of the table has it.
class EUnknownZip : public EZipLookupError {
  public:
    explicit EUnknownZip(std::string_view text)
        : EZipLookupError("ZIP code not found: " + std::string(text)) {}
};

// The five digits of a ZIP code written as five digits, or as ZIP+4 with
// the extension after a hyphen, a blank or nothing ("43004-1234",
// "43004 1234", "430041234"). Blanks around the whole are ignored. Raises
// EMalformedZip for anything else.
std::string NormalizeZip(std::string_view text);

// The sentence that tells the user where a ZIP code lies, for districts as
// TZipDistricts::Find returns them (at least one):
//   "This ZIP code lies in Ohio's 3rd district."
//   "This ZIP code lies in Wyoming's at-large district."
//   "This ZIP code lies in Ohio's 3rd and 15th districts; your street address decides which."
//   "This ZIP code lies in Alabama's 3rd district and Georgia's 14th district; your street
//    address decides which."
std::string DistrictSentence(const std::vector<TDistrict>& districts);

class TZipDistricts {
  public:
    // An empty table, in which every lookup fails.
    TZipDistricts() = default;

    // Reads the table file at `path` (see Read). Raises EZipTableError when
    // it cannot be opened or read.
    static TZipDistricts Load(const std::string& path);

    // Reads the table from `in`: the header line
    // "state_fips,state_abbr,zcta,cd", then one line per area and district:
    // two-digit state code, state abbreviation of a state, DC or territory,
    // five-digit area, district number (0 for an at-large seat, else 1 to
    // the state's seats). Lines end in CR LF or LF. `name` goes into the
    // messages. Raises EZipTableError naming the first bad line.
    static TZipDistricts Read(std::istream& in, const std::string& name);

    // The districts of `zip` (see NormalizeZip), by state in the order of
    // the territory filter, then by number; each once. Raises EMalformedZip
    // or EUnknownZip.
    std::vector<TDistrict> Find(std::string_view zip) const;

    // Areas in the table (a ZIP counts once however many districts it has).
    std::size_t ZipCount() const;

  private:
    // Sorted by Zip, then by state and district in Find's order.
    struct TEntry {
        std::uint32_t Zip;
        std::uint8_t State;  // index into UsStates()
        std::uint8_t District;
        auto operator<=>(const TEntry&) const = default;
    };
    std::vector<TEntry> entries_;
};

// The officials of a ZIP code in the Senate and House lists, by their
// positions in the lists, so that a view can show and tick them.
struct TZipOfficials {
    std::string Zip;                   // the five digits looked up
    std::vector<TDistrict> Districts;  // as TZipDistricts::Find gives them
    // The Senate records of each state in Districts (once per state, in
    // that order), each state's in list order. The District and the
    // territories have none.
    std::vector<int> Senators;
    // The House records of each district in turn: the records whose state
    // and district fields match it (a vacant seat's own record included).
    // A district the list has no record for adds nothing.
    std::vector<int> Representatives;
};

// Looks up `zip` and finds its officials in `senate` (state in field 0) and
// `house` (state in field 0, district in field 1). Raises EMalformedZip or
// EUnknownZip as Find. The lists must have those fields.
TZipOfficials FindZipOfficials(const TZipDistricts& table, std::string_view zip,
                               const TOfficialList& senate, const TOfficialList& house);

}  // namespace qv
