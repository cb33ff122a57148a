// qvtool lists check, from-congress and find-zip, run as a user runs them,
// and the ZIP lookup they share with the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "lists/official_list.h"
#include "lists/zip_districts.h"
#include "support/run_qvtool.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace qv;

using TResult = TQvtoolResult;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TResult Qvtool(const TTempFolder& folder, const std::string& arguments) {
    return RunQvtool(arguments, folder.Path("stderr.txt"));
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// --- lists check -------------------------------------------------------------

TEST(QvtoolListsCheckTest, OneLinePerFileAndFailureInTheExitCode) {
    const TTempFolder folder;
    const struct {
        const char* Name;
        const char* Text;  // nullptr: no such file
        const char* Line;
    } files[] = {
        {"senate.dat", "5 2\r\nAL,R,\"Doe, Jane\",none,none\r\nAK,D,Roe,none,none\r\n",
         "OK 2 records"},
        {"my-leaders.dat", "6 1\n1,X,Y,Z,none,none\n", "OK 1 records"},
        {"misc.dat", "1 1\r\nspare,\r\n2 2\r\na,b\r\nc,d\r\n2 0\r\n", "OK 1+2+0 records"},
        {"legis.dat",
         "\"Top\",http://t/,\r\n1,Europe,\r\n2,1,France,\r\n\"A\",http://a/,\r\n"
         "\"B\",http://b/,\r\n1,Asia,\r\n",
         "OK 2 groups, 6 nodes"},
        {"house.dat", "6 1\r\n,1,R,Doe,none,none\r\n", "ERROR -1"},
        {"house2.dat", "1 1\r\nno terminator\r\n", "ERROR -1"},
        {"legis-bad.dat", "1,Europe,\r\nx,1,France,\r\n", "ERROR -3"},
        {"leaders.dat", nullptr, "ERROR -2"},
        {"notes.txt", "5 0\r\n", "ERROR unknown list"},
    };
    std::string arguments = "lists check";
    std::string expected;
    for (const auto& file : files) {
        const std::string path =
            file.Text != nullptr ? folder.Write(file.Name, file.Text) : folder.Path(file.Name);
        arguments += " " + Quoted(path);
        expected += path + ": " + file.Line + "\n";
    }
    const TResult all = Qvtool(folder, arguments);
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.out, expected);

    const TResult good = Qvtool(folder, "lists check " + Quoted(folder.Path("senate.dat")) + " " +
                                            Quoted(folder.Path("legis.dat")));
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(Qvtool(folder, "lists check").exitCode, 2);
    EXPECT_EQ(Qvtool(folder, "lists frobnicate").exitCode, 2);
}

// --- lists from-congress -----------------------------------------------------

// Members chosen for the cases the lists must handle: a single-seat state,
// senators out of seniority order, a suffix, nicknames (in their field and
// in brackets), an accented name, a delegate without contact form, a member
// without home page, a contact form that is no web address, and vacancies
// everywhere else.
constexpr const char* kMembers = R"(- id: {bioguide: W1}
  name: {first: Newer, last: Senator}
  terms:
  - {type: rep, start: '2013-01-03', state: WY, district: 0, party: Republican}
  - {type: sen, start: '2019-01-03', state: WY, party: Republican, state_rank: junior,
     url: 'https://senator.senate.example', contact_form: 'https://senator.senate.example/contact'}
- id: {bioguide: W2}
  name: {first: Older, last: Member, suffix: III}
  terms:
  - {type: sen, start: '2011-01-05', state: WY, party: Republican, url: 'https://member.senate.example'}
  - {type: sen, start: '2017-01-03', state: WY, party: Republican, state_rank: senior,
     url: 'https://member.senate.example'}
- name: {first: John, last: Doe, suffix: Jr., official_full: 'John Doe, Jr.'}
  terms:
  - {type: rep, start: '2025-01-03', state: WY, district: 0, party: Republican,
     url: 'https://doe.house.example', contact_form: 'https://doe.house.example/contact'}
- name: {first: Robert, nickname: Bobby, last: Roe}
  terms:
  - {type: rep, start: '2025-01-03', state: OH, district: 15, party: Democrat,
     url: 'https://roe.house.example', contact_form: 'hhttps://roe.house.example/form'}
- name: {first: James (Jim), last: Moe}
  terms:
  - {type: rep, start: '2025-01-03', state: OH, district: 1, party: Independent}
- name: {first: Nydia, last: Velázquez}
  terms:
  - {type: rep, start: '2025-01-03', state: NY, district: 7, party: Democrat,
     url: 'https://velazquez.house.example'}
- name: {first: Eleanor, last: Norton}
  terms:
  - {type: rep, start: '2025-01-03', state: DC, district: 0, party: Democrat,
     url: 'https://norton.house.example'}
)";

class QvtoolFromCongressTest : public testing::Test {
  protected:
    TResult FromCongress(const std::string& yaml) {
        return Qvtool(folder_, "lists from-congress " +
                                   Quoted(folder_.Write("current.yaml", yaml)) + " " +
                                   Quoted(folder_.Path("out")));
    }
    std::vector<std::string> Lines(const std::string& name) const {
        std::vector<std::string> lines;
        std::ifstream in(folder_.Path("out/" + name), std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << "no CR LF: " << line;
            lines.push_back(line.substr(0, line.size() - 1));
        }
        return lines;
    }
    TTempFolder folder_;
};

TEST_F(QvtoolFromCongressTest, WritesBothListsInTheListFormat) {
    const TResult result = FromCongress(kMembers);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, folder_.Path("out/senate.dat") + ": 2 senators\n" +
                              folder_.Path("out/house.dat") + ": 441 seats, 436 vacant\n");
    EXPECT_NE(result.err.find("entry 4 (Robert Roe): contact_form \"hhttps://"), std::string::npos)
        << result.err;

    EXPECT_EQ(
        Lines("senate.dat"),
        (std::vector<std::string>{"5 2",
                                  "WY,R,\"Member, Older III\",https://member.senate.example,"
                                  "https://member.senate.example",
                                  "WY,R,\"Senator, Newer\",https://senator.senate.example/contact,"
                                  "https://senator.senate.example"}));

    const std::vector<std::string> house = Lines("house.dat");
    ASSERT_EQ(house.size(), 442u);
    EXPECT_EQ(house[0], "6 441");
    const std::vector<std::string> members = {
        "DC,AL,D,\"Norton, Eleanor\",https://norton.house.example,https://norton.house.example",
        "NY,7,D,\"Velázquez, Nydia\",https://velazquez.house.example,"
        "https://velazquez.house.example",
        "OH,1,I,\"Moe, Jim\",none,n/a",
        "OH,15,D,\"Roe, Bobby\",https://roe.house.example,https://roe.house.example",
        "WY,AL,R,\"Doe, John Jr.\",https://doe.house.example/contact,https://doe.house.example",
    };
    const std::regex vacant(
        "[A-Z]{2},(AL|[1-9][0-9]?),n/a,Vacant,none,https://clerk\\.house\\.gov/");
    std::vector<std::string> held;
    for (std::size_t i = 1; i < house.size(); ++i) {
        if (!std::regex_match(house[i], vacant)) {
            held.push_back(house[i]);
        }
    }
    EXPECT_EQ(held, members);  // in the territory filter's order, each once
    EXPECT_EQ(house[1], "AL,1,n/a,Vacant,none,https://clerk.house.gov/");
    EXPECT_EQ(house[441],
              "WY,AL,R,\"Doe, John Jr.\",https://doe.house.example/contact,"
              "https://doe.house.example");

    // What it wrote, the program reads back field for field.
    TOfficialList list;
    ASSERT_EQ(LoadOfficialList(folder_.Path("out/house.dat"), list, nullptr), 0);
    EXPECT_EQ(list.Field(440, 3), "Doe, John Jr.");
}

TEST_F(QvtoolFromCongressTest, BadDataIsRefusedNamingTheEntryAndNothingIsWritten) {
    const struct {
        std::string Yaml;
        const char* Error;
    } cases[] = {
        {"- name: [unclosed", "not readable as YAML"},
        {"name: {first: A, last: B}", "not a list of members"},
        {"- name: {first: Jane, last: Poe}\n  terms: [{type: rep, district: 1, party: D}]",
         "entry 1 (Jane Poe): no state in the current term"},
        {std::string(kMembers) + "- id: {bioguide: X9}\n  terms: [{state: OH, party: D}]",
         "entry 8 (X9): no type in the current term"},
        {"- name: {first: A, last: B}\n  terms: []", "entry 1 (A B): no terms"},
        {"- name: {first: A, last: B}\n  terms: [{type: rep, state: WY, district: 1, party: R}]",
         "district 1 is not a seat of WY"},
        {"- name: {first: A, last: B}\n  terms: [{type: rep, state: ZZ, district: 1, party: R}]",
         "unknown state ZZ"},
        {"- name: {first: A, last: B}\n  terms: [{type: sen, state: PR, party: R}]",
         "which is no state"},
        {std::string(kMembers) + "- name: {first: A, last: B}\n  terms: [{type: rep, state: OH, "
                                 "district: 1, party: R}]",
         "entry 8 (A B): seat OH-1 is held by an earlier entry too"},
        {"- name: {first: 'A \"Al\"', last: B}\n  terms: [{type: rep, state: OH, district: 2, "
         "party: R}]",
         "its name cannot stand in a list file"},
        {"- name: {first: A}\n  terms: [{type: sen, state: OH, party: R}]", "no last name"},
    };
    fs::create_directory(folder_.Path("out"));
    folder_.Write("out/senate.dat", "old senate");
    folder_.Write("out/house.dat", "old house");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Yaml);
        const TResult result = FromCongress(c.Yaml);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.Error), std::string::npos) << result.err;
        EXPECT_EQ(Read(folder_.Path("out/senate.dat")), "old senate");
        EXPECT_EQ(Read(folder_.Path("out/house.dat")), "old house");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path("out")), {}), 2);
    EXPECT_EQ(Qvtool(folder_, "lists from-congress only-one").exitCode, 2);
}

TEST_F(QvtoolFromCongressTest, ShippedListsAreTheSnapshotRegenerated) {
    const std::string source(QV_TEST_SOURCE_DIR);
    const TResult result =
        Qvtool(folder_,
               "lists from-congress " +
                   Quoted(source + "/data/sources/congress-legislators/legislators-current.yaml") +
                   " " + Quoted(folder_.Path("out")));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* name : {"senate.dat", "house.dat"}) {
        EXPECT_TRUE(Read(folder_.Path(std::string("out/") + name)) ==
                    Read(source + "/data/" + name))
            << name << " differs from what the data in data/sources gives";
    }
}

// --- lists find-zip and the lookup -----------------------------------------

constexpr const char* kZipTable =
    "state_fips,state_abbr,zcta,cd\r\n"
    "39,OH,43004,15\r\n"
    "39,OH,43004,3\r\n"
    "39,OH,44101,11\r\n"
    "39,OH,45011,13\r\n"
    "39,OH,45011,2\r\n"
    "39,OH,45011,1\r\n"
    "56,WY,82001,0\r\n"
    "11,DC,20001,0\r\n"
    "72,PR,00601,0\r\n"
    "13,GA,30165,14\r\n"
    "01,AL,30165,3\r\n";

constexpr const char* kSenate =
    "5 8\r\n"
    "AL,R,\"Ay, Ann\",https://ay.example/contact,https://ay.example\r\n"
    "AL,R,\"Be, Bo\",https://be.example/contact,https://be.example\r\n"
    "GA,D,\"Ce, Cy\",https://ce.example/contact,https://ce.example\r\n"
    "GA,D,\"De, Di\",https://de.example/contact,https://de.example\r\n"
    "OH,R,\"Ef, Flo\",https://ef.example/contact,https://ef.example\r\n"
    "OH,R,\"Ge, Gus\",https://ge.example/contact,https://ge.example\r\n"
    "WY,R,\"Ha, Hal\",https://ha.example/contact,https://ha.example\r\n"
    "WY,R,\"Ie, Ida\",https://ie.example/contact,https://ie.example\r\n";

constexpr const char* kHouse =
    "6 8\r\n"
    "AL,3,R,\"Jo, Jan\",https://jo.example,https://jo.example\r\n"
    "DC,AL,D,\"Ka, Kim\",https://ka.example,https://ka.example\r\n"
    "GA,14,R,\"Lu, Lee\",https://lu.example,https://lu.example\r\n"
    "OH,3,D,\"Mo, Max\",https://mo.example,https://mo.example\r\n"
    "OH,11,D,\"Nu, Ned\",https://nu.example,https://nu.example\r\n"
    "OH,15,n/a,Vacant,none,https://clerk.house.gov/\r\n"
    "PR,AL,D,\"Hernández, Pablo\",https://pr.example,https://pr.example\r\n"
    "WY,AL,R,\"Oz, Ola\",https://oz.example,https://oz.example\r\n";

constexpr const char* kOhio11 =
    "44101: OH-11\nsenator OH: Ef, Flo\nsenator OH: Ge, Gus\nrepresentative OH-11: Nu, Ned\n";
constexpr const char* kWyoming =
    "82001: WY-AL\nsenator WY: Ha, Hal\nsenator WY: Ie, Ida\nrepresentative WY-AL: Oz, Ola\n";

TEST(ZipLookupTest, ThroughTheLookupAndTheCommand) {
    const TTempFolder folder;
    const TZipDistricts table = TZipDistricts::Load(folder.Write("zccd.csv", kZipTable));
    TOfficialList senate, house;
    ASSERT_EQ(LoadOfficialList(folder.Write("senate.dat", kSenate), senate, nullptr), 0);
    ASSERT_EQ(LoadOfficialList(folder.Write("house.dat", kHouse), house, nullptr), 0);
    const struct {
        const char* Zip;
        const char* Out;       // qvtool's standard output; empty when not found
        const char* Sentence;  // or the lookup's error message
    } cases[] = {
        {"44101", kOhio11, "This ZIP code lies in Ohio's 11th district."},
        {"43004",
         "43004: OH-3, OH-15\nsenator OH: Ef, Flo\nsenator OH: Ge, Gus\n"
         "representative OH-3: Mo, Max\nrepresentative OH-15: Vacant\n",
         "This ZIP code lies in Ohio's 3rd and 15th districts; your street address decides which."},
        // The House list has no record for these districts.
        {"45011", "45011: OH-1, OH-2, OH-13\nsenator OH: Ef, Flo\nsenator OH: Ge, Gus\n",
         "This ZIP code lies in Ohio's 1st, 2nd and 13th districts; your street address "
         "decides which."},
        {"82001", kWyoming, "This ZIP code lies in Wyoming's at-large district."},
        {"20001", "20001: DC-AL\nrepresentative DC-AL: Ka, Kim\n",
         "This ZIP code lies in the District of Columbia's at-large district."},
        {"00601", "00601: PR-AL\nrepresentative PR-AL: Hernández, Pablo\n",
         "This ZIP code lies in Puerto Rico's at-large district."},
        {"30165",
         "30165: AL-3, GA-14\nsenator AL: Ay, Ann\nsenator AL: Be, Bo\n"
         "senator GA: Ce, Cy\nsenator GA: De, Di\n"
         "representative AL-3: Jo, Jan\nrepresentative GA-14: Lu, Lee\n",
         "This ZIP code lies in Alabama's 3rd district and Georgia's 14th district; "
         "your street address decides which."},
        {"44101-1234", kOhio11, "This ZIP code lies in Ohio's 11th district."},
        {" 820011234 ", kWyoming, "This ZIP code lies in Wyoming's at-large district."},
        {"99999", "", "ZIP code not found: 99999"},
        {"4410", "", "Not a ZIP code: 4410"},
        {"44101-12", "", "Not a ZIP code: 44101-12"},
        {"4410l", "", "Not a ZIP code: 4410l"},
        {"", "", "Not a ZIP code: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.Zip + "\"");
        const TResult result =
            Qvtool(folder, "lists find-zip " + Quoted(c.Zip) + " --dir " + Quoted(folder.Path("")));
        const bool found = *c.Out != '\0';
        EXPECT_EQ(result.exitCode, found ? 0 : 1);
        EXPECT_EQ(result.out, c.Out);
        EXPECT_EQ(result.err, found ? "" : std::string("ZIP code not found: ") + c.Zip + "\n");
        try {
            const TZipOfficials officials = FindZipOfficials(table, c.Zip, senate, house);
            EXPECT_TRUE(found);
            EXPECT_EQ(DistrictSentence(officials.Districts), c.Sentence);
            std::string codes = officials.Zip + ":";
            for (const TDistrict& district : officials.Districts) {
                codes += (codes.back() == ':' ? " " : ", ") + DistrictCode(district);
            }
            EXPECT_EQ(codes, std::string(c.Out).substr(0, std::string(c.Out).find('\n')));
        } catch (const EZipLookupError& e) {
            EXPECT_FALSE(found);
            EXPECT_STREQ(e.what(), c.Sentence);
        }
    }
}

TEST(QvtoolFindZipTest, DefaultFolderIsQvtoolsOwnAndMissingListsFail) {
    const TTempFolder folder;
    // The build puts the shipped lists and ZIP table next to qvtool.
    const TResult shipped = Qvtool(folder, "lists find-zip 20001");
    EXPECT_EQ(shipped.exitCode, 0) << shipped.err;
    EXPECT_EQ(shipped.out.substr(0, 19), "20001: DC-AL\nrepres");

    const TResult empty = Qvtool(folder, "lists find-zip 20001 --dir " + Quoted(folder.Path("")));
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("cannot read"), std::string::npos) << empty.err;
    EXPECT_EQ(Qvtool(folder, "lists find-zip").exitCode, 2);
    EXPECT_EQ(Qvtool(folder, "lists find-zip 20001 --dir").exitCode, 2);
}

}  // namespace
