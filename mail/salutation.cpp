#include "mail/salutation.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/trim.h"
#include "lists/list_text.h"
#include "lists/us_states.h"
#include "mail/mail_message.h"

namespace qv {

namespace {

// Field positions of each kind of record (see TOfficialRecord).
constexpr std::size_t kSenateState = 0, kSenateName = 2;
constexpr std::size_t kHouseState = 0, kHouseDistrict = 1, kHouseName = 3;
constexpr std::size_t kLeaderCountry = 1, kLeaderTitle = 2, kLeaderName = 3;
constexpr std::size_t kPresidentName = 0;

constexpr std::string_view kNoRecordName = "Sir or Madam";
constexpr std::string_view kAtLarge = "at-large";

// Puerto Rico's member of the House is called Resident Commissioner.
constexpr std::string_view kResidentCommissionerSeat = "PR";

std::string Field(const TOfficialRecord& record, std::size_t index) {
    return index < record.Fields.size() ? std::string(TrimSpacesAndTabs(record.Fields[index]))
                                        : std::string();
}

std::string StateName(const std::string& abbreviation) {
    const int index = UsStateIndex(abbreviation);
    // A code the table lacks still says something.
    return index < 0 ? abbreviation : std::string(UsStates()[static_cast<std::size_t>(index)].Name);
}

// The District and the territories send a delegate to the House.
std::string HouseTitle(const std::string& state) {
    if (state == kResidentCommissionerSeat) {
        return "Resident Commissioner";
    }
    const int index = UsStateIndex(state);
    if (index >= 0 && !UsStates()[static_cast<std::size_t>(index)].IsState) {
        return "Delegate";
    }
    return "Representative";
}

bool IsSuffix(std::string_view word) {
    std::string folded;
    for (char c : word) {
        if (c != '.') {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return folded == "jr" || folded == "sr" || folded == "ii" || folded == "iii" || folded == "iv";
}

// Takes a generational suffix off the end of `part` ("Kean Jr."), unless it
// is the only word.
std::string TakeSuffix(std::string_view& part) {
    const std::size_t blank = part.find_last_of(" \t");
    if (blank == std::string_view::npos || !IsSuffix(part.substr(blank + 1))) {
        return {};
    }
    std::string suffix(part.substr(blank + 1));
    part = TrimSpacesAndTabs(part.substr(0, blank));
    return suffix;
}

// A list name taken apart at its first comma; Comma false without one.
struct TListName {
    bool Comma = false;
    std::string_view Family, Given;
    std::string Suffix;
};

TListName SplitListName(std::string_view listName) {
    TListName name;
    listName = TrimSpacesAndTabs(listName);
    const std::size_t comma = listName.find(',');
    if (comma == std::string_view::npos) {
        name.Family = listName;
        return name;
    }
    name.Comma = true;
    name.Family = TrimSpacesAndTabs(listName.substr(0, comma));
    name.Given = TrimSpacesAndTabs(listName.substr(comma + 1));
    // "Kean, Tom, Jr.": the suffix after a second comma.
    if (const std::size_t second = name.Given.find(','); second != std::string_view::npos) {
        const std::string_view after = TrimSpacesAndTabs(name.Given.substr(second + 1));
        if (IsSuffix(after)) {
            name.Suffix = after;
            name.Given = TrimSpacesAndTabs(name.Given.substr(0, second));
        }
    }
    if (name.Suffix.empty()) {
        name.Suffix = TakeSuffix(name.Family);
    }
    if (name.Suffix.empty()) {
        name.Suffix = TakeSuffix(name.Given);
    }
    return name;
}

struct TPlaceholder {
    std::string_view Key;  // between the braces
    std::string TSalutation::*Value;
};

constexpr std::array<TPlaceholder, 5> kPlaceholders{{
    {"Name", &TSalutation::Name},
    {"LastName", &TSalutation::LastName},
    {"Title", &TSalutation::Title},
    {"State", &TSalutation::State},
    {"District", &TSalutation::District},
}};

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The placeholder whose braces start at text[open], or nullptr.
const TPlaceholder* PlaceholderAt(std::string_view text, std::size_t open, std::size_t& end) {
    const std::size_t close = text.find('}', open + 1);
    if (close == std::string_view::npos) {
        return nullptr;
    }
    const std::string_view key = text.substr(open + 1, close - open - 1);
    for (const TPlaceholder& placeholder : kPlaceholders) {
        if (SameLetters(key, placeholder.Key)) {
            end = close + 1;
            return &placeholder;
        }
    }
    return nullptr;
}

std::string AddressKey(std::string_view entry) {
    std::string address = TMailMessage::ExtractAddress(TrimSpacesAndTabs(entry));
    std::transform(address.begin(), address.end(), address.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return address;
}

}  // namespace

TOfficialRecord RecordFromList(TRecordKind kind, const TOfficialList& list, int row) {
    TOfficialRecord record{kind, {}};
    for (int col = 0; col < list.FieldCount(); ++col) {
        record.Fields.push_back(DisplayText(list.Field(row, col)));
    }
    return record;
}

TOfficialRecord RecordFromPresident(const TPresidentRecord& president) {
    return {TRecordKind::President, {president.Name, president.Email, president.HomePage}};
}

std::string ReadingOrderName(std::string_view listName) {
    const TListName name = SplitListName(listName);
    std::string reading(name.Given);
    if (!name.Family.empty()) {
        reading += (reading.empty() ? "" : " ") + std::string(name.Family);
    }
    if (!name.Suffix.empty()) {
        reading += (reading.empty() ? "" : " ") + name.Suffix;
    }
    return reading;
}

std::string FamilyName(std::string_view listName) {
    return std::string(SplitListName(listName).Family);
}

TSalutation SalutationFor(const TOfficialRecord& record) {
    TSalutation s;
    auto named = [&](std::size_t nameField) {
        const std::string name = Field(record, nameField);
        s.Name = ReadingOrderName(name);
        s.LastName = FamilyName(name);
    };
    switch (record.Kind) {
        case TRecordKind::Senate:
            named(kSenateName);
            s.Title = "Senator";
            s.State = StateName(Field(record, kSenateState));
            break;
        case TRecordKind::House: {
            named(kHouseName);
            const std::string state = Field(record, kHouseState);
            s.Title = HouseTitle(state);
            s.State = StateName(state);
            s.District = Field(record, kHouseDistrict);
            if (s.District == kAtLargeDistrict) {
                s.District = kAtLarge;
            }
            break;
        }
        case TRecordKind::Leader:
            named(kLeaderName);
            s.Title = Field(record, kLeaderTitle);
            s.State = Field(record, kLeaderCountry);
            break;
        case TRecordKind::President:
            named(kPresidentName);
            s.Title = "President";
            break;
        case TRecordKind::None:
            break;
    }
    if (s.Name.empty()) {
        s.Name = kNoRecordName;
    }
    return s;
}

bool HasPlaceholders(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t open = text.find('{'); open != std::string_view::npos;
         open = text.find('{', open + 1)) {
        if (PlaceholderAt(text, open, end) != nullptr) {
            return true;
        }
    }
    return false;
}

std::string ExpandPlaceholders(std::string_view text, const TSalutation& salutation) {
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t open = text.find('{'); open != std::string_view::npos;
         open = text.find('{', open + 1)) {
        std::size_t end = 0;
        if (const TPlaceholder* placeholder = PlaceholderAt(text, open, end)) {
            out.append(text.substr(from, open - from)).append(salutation.*(placeholder->Value));
            from = end;
            open = end - 1;
        }
    }
    return out.append(text.substr(from));
}

void TRecipientRecords::Add(std::string_view entry, TOfficialRecord record) {
    std::string key = AddressKey(entry);
    if (!key.empty()) {
        byAddress_[std::move(key)] = std::move(record);
    }
}

const TOfficialRecord& TRecipientRecords::Find(std::string_view entry) const {
    static const TOfficialRecord kTypedByHand{};
    const auto found = byAddress_.find(AddressKey(entry));
    return found == byAddress_.end() ? kTypedByHand : found->second;
}

}  // namespace qv
