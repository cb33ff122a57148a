// Personal salutations: the placeholders a letter may hold ("Dear {Title}
// {LastName},") and the values they take for each recipient, read from the
// record of the official the recipient was chosen from. Offices pay less
// heed to identical bulk letters than to one that opens with their own name.
//
// Plain values and functions; safe on any thread.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "lists/official_list.h"

namespace qv {

// The list an official's record comes from; None for an address typed by
// hand, which has no record.
enum class TRecordKind { None, Senate, House, Leader, President };

// An official's record as its list holds it, each field as the program shows
// it (UTF-8, lists/list_text.h), in the list's field order:
//   Senate     state, party, name, e-mail, home page
//   House      state or territory, district, party, name, e-mail, home page
//   Leader     continent, country, title, name, e-mail, home page
//   President  name, e-mail, home page
// Names are written last name first ("Doe, Jane"). A field the record lacks
// reads as empty.
struct TOfficialRecord {
    TRecordKind Kind = TRecordKind::None;
    std::vector<std::string> Fields{};
    bool operator==(const TOfficialRecord&) const = default;
};

// Row `row` of `list`, a list of `kind`. Throws std::out_of_range outside the
// list.
TOfficialRecord RecordFromList(TRecordKind kind, const TOfficialList& list, int row);
TOfficialRecord RecordFromPresident(const TPresidentRecord& president);

// What each placeholder reads for one recipient.
struct TSalutation {
    std::string Name;      // {Name}: "Tom Kean Jr."; "Sir or Madam" without a record
    std::string LastName;  // {LastName}: "Kean"
    std::string Title;     // {Title}: "Senator", "Representative", "Delegate",
                           // "Resident Commissioner", "President", a leader's title
    std::string State;     // {State}: "New Jersey", "the District of Columbia"; a
                           // leader's country
    std::string District;  // {District}: "7" as the House list holds it; "at-large"
    bool operator==(const TSalutation&) const = default;
};

// The values for a recipient with `record`. Without a record (an address
// typed by hand) {Name} reads "Sir or Madam" and the rest are empty, so that
// "Dear {Name}," still greets. Fields a kind of list does not have ({District}
// of a senator) are empty.
//
// The House list writes an at-large seat's district as "AL", which a reader
// would take for Alabama; it reads "at-large" ("Wyoming's at-large
// district"). A delegate's state is the territory or the District.
TSalutation SalutationFor(const TOfficialRecord& record);

// A list's "Last, First" name in reading order: "Doe, Jane" -> "Jane Doe". A
// generational suffix goes to the end wherever the list put it: "Kean Jr.,
// Tom", "Kean, Tom Jr." and "Kean, Tom, Jr." -> "Tom Kean Jr.". A name
// without a comma ("Leo XIV", "Anwar Ibrahim") is not in that form and
// stands as it is, trimmed.
std::string ReadingOrderName(std::string_view listName);

// The part of a list's name before the comma, without a suffix: "Kean Jr.,
// Tom" -> "Kean". A name without a comma has no part known to be the family
// name and is returned whole ("Dear King Abdullah II").
std::string FamilyName(std::string_view listName);

// True when `text` holds a placeholder: {Name}, {LastName}, {Title}, {State}
// or {District}, letter case ignored.
bool HasPlaceholders(std::string_view text);

// `text` with every placeholder replaced by its value; any other text in
// braces stays as it is.
std::string ExpandPlaceholders(std::string_view text, const TSalutation& salutation);

// The records of a send action's recipients, found by address: the review
// window records each official it puts into a recipient field, and the user
// may still edit the field, so an entry is matched by its address alone.
class TRecipientRecords {
  public:
    // Records `record` for the address of `entry` (an address, "Name
    // <address>" or "address (Name)"); a later record for the same address
    // replaces it. An entry without an address records nothing.
    void Add(std::string_view entry, TOfficialRecord record);

    // The record for the address of `entry` (letter case ignored), or the
    // empty record of an address typed by hand.
    const TOfficialRecord& Find(std::string_view entry) const;

    bool Empty() const { return byAddress_.empty(); }

  private:
    std::map<std::string, TOfficialRecord> byAddress_;
};

}  // namespace qv
