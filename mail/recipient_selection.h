// The rules by which officials of the Senate and House lists become
// recipients: who can be mailed, selection by party, the text handed to the
// compose window, and when the review window starts with BCC ticked. No
// windows here; the review and party selection windows call these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOfficialList;

namespace qv {

// Columns of the fields used, in the record layouts of senate.dat and
// house.dat.
struct TChamberColumns {
    int State;
    int District;  // -1: none
    int Party;
    int Name;
    int Email;
};
inline constexpr TChamberColumns kSenateColumns{0, -1, 1, 2, 3};
inline constexpr TChamberColumns kHouseColumns{0, 1, 2, 3, 4};

// A mailbox, as opposed to "none" or a web-form address: not "none" and no
// "http" anywhere, both in any letter case (lists written by hand vary).
bool IsMailable(std::string_view email);

struct TPartyChoice {
    bool All = false;
    bool Democrats = false;    // party "D"
    bool Republicans = false;  // party "R"
};

// Sets the flag of every mailable record that `choice` takes: all of them, or
// those of the chosen parties (compared without regard to letter case). Flags
// are only ever set, so groups add to the selection; records beyond the end
// of `flags` are passed over.
void SelectByParty(const TOfficialList& list, const TChamberColumns& columns,
                   const TPartyChoice& choice, std::vector<std::uint8_t>& flags);

// The compose window's form of a recipient list: each address in "<" and
// ">", joined by ";" without blanks.
std::string JoinRecipients(const std::vector<std::string>& addresses);

// The review window ticks "BCC Recipients" when its two grids together have
// more than five rows: a title row each, and a row per listed official or one
// hidden empty row when a grid lists none.
bool BccByDefault(int senators, int representatives);

}  // namespace qv
