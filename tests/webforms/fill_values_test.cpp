#include "webforms/fill_values.h"

#include <gtest/gtest.h>

namespace {

using qv::webforms::BuildFillValues;
using qv::webforms::FillValuesFor;
using qv::webforms::SplitName;
using qv::webforms::TFillValues;
using qv::webforms::TLetter;
using qv::webforms::TNameParts;

TEST(SplitNameTest, TakesNamesApart) {
    struct Row {
        const char* name;
        TNameParts parts;
    };
    const Row rows[] = {
        {"Jane Citizen", {"", "Jane", "", "Citizen", ""}},
        {"  Jane   Q.  Citizen ", {"", "Jane", "Q.", "Citizen", ""}},
        {"Dr. Mary Ann van der Berg Jr.", {"Dr.", "Mary", "Ann", "van der Berg", "Jr."}},
        {"Maria de la Cruz", {"", "Maria", "", "de la Cruz", ""}},
        {"Citizen, Jane Q.", {"", "Jane", "Q.", "Citizen", ""}},
        {"de la Cruz, Ms. Maria", {"Ms.", "Maria", "", "de la Cruz", ""}},
        {"John Public, Jr.", {"", "John", "", "Public", "Jr."}},
        {"John Public III, PhD", {"", "John", "", "Public", "III PhD"}},
        {"Cher", {"", "Cher", "", "", ""}},
        {"Miss", {"", "Miss", "", "", ""}},
        {"Mr. Smith", {"Mr.", "", "", "Smith", ""}},
        {"", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SplitName(row.name), row.parts) << row.name;
    }
}

TEST(BuildFillValuesTest, OffersEachDetailInTheFormsFieldsAskFor) {
    struct Row {
        const char* what;
        TSettings contact;
        std::string key;
        std::vector<std::string> expected;  // empty: the key is left out
    };
    auto with = [](auto set) {
        TSettings s;
        set(s);
        return s;
    };
    const Row rows[] = {
        {"state by code", with([](TSettings& s) { s.State = " va "; }), "state", {"VA", "Virginia"}},
        {"state by name", with([](TSettings& s) { s.State = "west virginia"; }), "state",
         {"WV", "West Virginia"}},
        {"capital", with([](TSettings& s) { s.State = "Washington, D.C."; }), "state",
         {"DC", "District of Columbia"}},
        {"district", with([](TSettings& s) { s.State = "D.C."; }), "state", {"DC", "District of Columbia"}},
        {"unknown state", with([](TSettings& s) { s.State = "Ontario"; }), "state", {"Ontario"}},
        {"ZIP+4", with([](TSettings& s) { s.ZipCode = "23219-1234"; }), "zip",
         {"23219-1234", "232191234", "23219"}},
        {"ZIP+4 parts", with([](TSettings& s) { s.ZipCode = "232191234"; }), "zip4", {"1234"}},
        {"five digits", with([](TSettings& s) { s.ZipCode = "05401"; }), "zip", {"05401"}},
        {"no four", with([](TSettings& s) { s.ZipCode = "05401"; }), "zip4", {}},
        {"foreign code", with([](TSettings& s) { s.ZipCode = "K1A 0B1"; }), "zip", {"K1A 0B1"}},
        {"phone", with([](TSettings& s) { s.UHomeP = "+1 (804) 555-0134"; }), "phone",
         {"+1 (804) 555-0134", "804-555-0134", "(804) 555-0134", "8045550134"}},
        {"phone area", with([](TSettings& s) { s.UHomeP = "804.555.0134"; }), "phoneArea", {"804"}},
        {"work phone", with([](TSettings& s) { s.UWorkP = "555-0134"; }), "phone", {"555-0134"}},
        {"home phone first", with([](TSettings& s) { s.UHomeP = "1"; s.UWorkP = "2"; }), "phone", {"1"}},
        {"reply-to", with([](TSettings& s) { s.ReplyTo = "Jane <jane@example.org>"; }), "email",
         {"jane@example.org"}},
        {"user as address", with([](TSettings& s) { s.EmailUser = "jane@example.org"; }), "email",
         {"jane@example.org"}},
        {"user name only", with([](TSettings& s) { s.EmailUser = "jane"; }), "email", {}},
        {"full name", with([](TSettings& s) { s.Name = "Citizen, Dr. Jane Q."; }), "fullName",
         {"Jane Q. Citizen"}},
        {"middle initial", with([](TSettings& s) { s.Name = "Jane Quinn Citizen"; }), "middleName",
         {"Quinn", "Q"}},
        {"accented initial", with([](TSettings& s) { s.Name = "Ana \xC3\x89lise Ruiz"; }), "middleName",
         {"\xC3\x89lise", "\xC3\x89"}},
        {"blank street", with([](TSettings& s) { s.Street1 = "   "; }), "street1", {}},
    };
    for (const Row& row : rows) {
        const TFillValues values = BuildFillValues(row.contact, TLetter{});
        const auto found = values.find(row.key);
        EXPECT_EQ(found == values.end() ? std::vector<std::string>{} : found->second, row.expected)
            << row.what;
    }
}

TEST(BuildFillValuesTest, TheLetterKeepsItsTextWithLfLineBreaks) {
    const TFillValues values =
        BuildFillValues(TSettings{}, TLetter{" Clean water ", "Dear Senator,\r\n\r\nThanks.\rJane\n"});
    EXPECT_EQ(values.at("subject"), std::vector<std::string>{"Clean water"});
    EXPECT_EQ(values.at("message"), std::vector<std::string>{"Dear Senator,\n\nThanks.\nJane\n"});
    EXPECT_EQ(BuildFillValues(TSettings{}, TLetter{"", " \r\n"}).count("message"), 0u);
}

TEST(BuildFillValuesTest, TheLetterGreetsEachOfficialByName) {
    TSettings contact;
    contact.City = "Dover";
    const TFillValues values = BuildFillValues(
        contact, TLetter{"{District}", "Dear {Title} {LastName},\r\nAs a voter in {State}"});
    const qv::TOfficialRecord member{qv::TRecordKind::House,
                                     {"DE", "AL", "D", "McBride, Sarah", "-", "-"}};

    TFillValues personal = FillValuesFor(values, member);
    EXPECT_EQ(personal.at("subject"), std::vector<std::string>{"at-large"});
    EXPECT_EQ(personal.at("message"),
              std::vector<std::string>{"Dear Representative McBride,\nAs a voter in Delaware"});
    EXPECT_EQ(personal.at("city"), values.at("city"));

    personal = FillValuesFor(values, qv::TOfficialRecord{});
    EXPECT_EQ(personal.count("subject"), 0u);  // nothing left to fill in
    EXPECT_EQ(personal.at("message"), std::vector<std::string>{"Dear  ,\nAs a voter in "});
}

}  // namespace
