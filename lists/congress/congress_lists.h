#pragma once

// The Senate and House lists built from legislators-current.yaml of the
// public congress-legislators dataset.
//
// The dataset is a YAML sequence with one entry per sitting member: a `name`
// map (`first`, `last`, optional `nickname` and `suffix`, `official_full`),
// an `id` map (`bioguide`) and `terms`, a sequence whose last entry is the
// current term: `type` ("sen" or "rep"), `state`, `district` (House; 0 for an
// at-large seat), `party` ("Democrat", "Republican", "Independent"),
// `start`, and where published `url` (the office's home page) and
// `contact_form`.

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "lists/official_list.h"

namespace qv {

// The dataset cannot be read, or an entry lacks what a list record needs.
// The message names the file and, for an entry, its position and member.
class ECongressDataError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the House Clerk's site shows in place of a vacant seat's home page.
inline constexpr const char* kVacantSeatHomePage = "https://clerk.house.gov/";

struct TCongressLists {
    // senate.dat's table: state, party, name, e-mail, home page. Per state
    // in the order of the state filter, a state's senators by the start of
    // their unbroken Senate service, longest first (the dataset's senior
    // senator first on a tie).
    TOfficialList Senate;
    // house.dat's table: state, district, party, name, e-mail, home page.
    // One record per seat (the 2020 apportionment's 435 and the six
    // delegates), in the order of the territory filter, then by district;
    // district "AL" for a state's single seat and for a delegate. A seat no
    // member holds has the record
    // ST,D,n/a,Vacant,none,<kVacantSeatHomePage>.
    TOfficialList House;
    int VacantSeats = 0;
    // What was left out and why, one line per case naming the entry: an
    // address that is no http(s) address is not used (the next choice
    // stands in for it).
    std::vector<std::string> Warnings;
};

// Builds the lists from the dataset read from `in`; `name` goes into the
// messages. A member's name is "Last, First", the nickname standing for the
// first name where there is one and a suffix following it ("Johnson, Hank
// Jr."), accents kept as the dataset's UTF-8; a first name written
// "Charles (Chuck)" carries its nickname in the brackets. Party is the first
// letter of the dataset's party. E-mail is the current term's contact_form,
// else its url, else "none"; home page its url, else "n/a"; an address
// counts only when it starts with "http://" or "https://".
//
// Raises ECongressDataError when the text is not YAML or not a sequence of
// members, or for the first entry without a name, current term, type,
// state, party or district, with a state, district or type unknown to the
// lists, holding a seat already taken, or with a field the list format
// cannot carry.
TCongressLists ReadCongressLists(std::istream& in, const std::string& name);

// As above from the file at `path`; raises ECongressDataError when it cannot
// be opened.
TCongressLists LoadCongressLists(const std::string& path);

}  // namespace qv
