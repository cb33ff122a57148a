#include "mail/salutation.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TOfficialRecord Senator(std::string state, std::string name) {
    return {TRecordKind::Senate, {state, "D", name, "s@senate.example", "none"}};
}

TOfficialRecord Member(std::string state, std::string district, std::string name) {
    return {TRecordKind::House, {state, district, "R", name, "m@house.example", "none"}};
}

TOfficialRecord Leader(std::string country, std::string title, std::string name) {
    return {TRecordKind::Leader, {"1", country, title, name, "none", "none"}};
}

TEST(SalutationTest, PlaceholdersReadFromTheRecord) {
    const std::string letter = "Dear {Title} {LastName} ({Name}, {State}, {District}):";
    struct Row {
        TOfficialRecord record;
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {Senator("OH", "Doe, Jane"), letter, "Dear Senator Doe (Jane Doe, Ohio, ):"},
        {Member("NJ", "7", "Kean Jr., Tom"), letter,
         "Dear Representative Kean (Tom Kean Jr., New Jersey, 7):"},
        {Member("WY", "AL", " Hageman , Harriet "), letter,
         "Dear Representative Hageman (Harriet Hageman, Wyoming, at-large):"},
        {Member("DC", "AL", "Norton, Eleanor Holmes"), letter,
         "Dear Delegate Norton (Eleanor Holmes Norton, the District of Columbia, at-large):"},
        {Member("PR", "AL", "Hernandez, Pablo Jose"), "{Title}", "Resident Commissioner"},
        {Member("VI", "AL", "Plaskett, Stacey"), "{Title} of {State}",
         "Delegate of the Virgin Islands"},
        {Member("ZZ", "3", "Roe, Rick, III"), "{Name} {LastName} {State}", "Rick Roe III Roe ZZ"},
        {Senator("TX", "Cruz, Ted Sr."), "{Name}", "Ted Cruz Sr."},
        {Leader("Holy See", "Pope", "Leo XIV"), letter, "Dear Pope Leo XIV (Leo XIV, Holy See, ):"},
        {Leader("Ireland", "Taoiseach", "Martin, Micheál"), "{Title} {Name}",
         "Taoiseach Micheál Martin"},
        {RecordFromPresident({"Doe, John", "https://x.example/contact", "none"}),
         "{Title} {LastName}", "President Doe"},
        // An address typed by hand, and a record too short to hold a name.
        {TOfficialRecord{}, letter, "Dear   (Sir or Madam, , ):"},
        {TOfficialRecord{TRecordKind::Senate, {"OH"}}, "Dear {Name}, {Title}",
         "Dear Sir or Madam, Senator"},
        // Letter case of a key, braces around and unknown keys.
        {Senator("OH", "Doe, Jane"), "{name} {{LASTNAME}} {Nam} {Name",
         "Jane Doe {Doe} {Nam} {Name"},
        {Senator("OH", "Doe, Jane"), "No placeholder {here}.", "No placeholder {here}."},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ExpandPlaceholders(row.text, SalutationFor(row.record)), row.expected)
            << row.text;
        EXPECT_EQ(HasPlaceholders(row.text), row.text != row.expected) << row.text;
    }
    EXPECT_FALSE(HasPlaceholders("{} { Name } {Name"));
}

TEST(SalutationTest, RecordsAreFoundByAddressWhateverTheEntryLooksLike) {
    TOfficialList senate;
    senate.Reset(5);
    senate.AppendRow({"OH", "D", "M\xfcller, J\xfcrgen", "Doe@Senate.example", "none"});
    TRecipientRecords records;
    records.Add("<Doe@Senate.example>", RecordFromList(TRecordKind::Senate, senate, 0));
    records.Add("nobody <>", Senator("OH", "Nobody, Ann"));

    const TOfficialRecord& found = records.Find("Sen. Doe <doe@senate.EXAMPLE>");
    EXPECT_EQ(SalutationFor(found).Name, "J\xc3\xbcrgen M\xc3\xbcller");
    EXPECT_EQ(records.Find(" doe@senate.example (Doe)"), found);
    EXPECT_EQ(records.Find("typed@home.example").Kind, TRecordKind::None);
    EXPECT_EQ(records.Find("<>").Kind, TRecordKind::None);
}

}  // namespace
}  // namespace qv
