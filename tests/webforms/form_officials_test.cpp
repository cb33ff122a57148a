#include "webforms/form_officials.h"

#include <gtest/gtest.h>

#include "lists/list_rows.h"

namespace {

using namespace qv::webforms;

struct TLists {
    TOfficialList Senate =
        ListOf(5, {{"OH", "R", "Moe, Max", "https://moe.senate.example/contact", "h"},
                   {"OH", "D", "Box, Bo", "bo@senate.example", "h"},
                   {"VT", "I", "Ray, Al", "HTTPS://ray.senate.example/", "h"},
                   {"VT", "D", "Nye, Ed", "NONE", "h"}});
    TOfficialList House =
        ListOf(6, {{"OH", "3", "D", "Lee, Kim", "http://lee.house.example", "h"},
                   {"PR", "AL", "D", "Cruz, Pia", "https://cruz.house.example", "h"},
                   {"GU", "AL", "R", "Tan, Sam", "https://tan.house.example", "h"},
                   {"OH", "4", "R", "Vacant", "none", "h"},
                   {"OH", "5", "R", "Fox, Jo", "httpd@house.example", "h"}});
    TOfficialList Leaders =
        ListOf(6, {{"1", "Denmark", "Prime Minister", "Frederiksen, Mette",
                    "https://stm.example/contact", "h"},
                   {"2", "Japan", "Prime Minister", "Ito, Ko", "none", "h"},
                   {"1", "Vatican", "Pope", "Leo XIV", "https://va.example/", "h"}});
    TPresidentRecord President{"Doe, John", "https://www.whitehouse.example/contact/", "h"};

    std::vector<TWebFormOfficial> Officials() const {
        return WebFormOfficials(Senate, House, Leaders, President);
    }
};

TEST(FormOfficialsTest, OfficialsWithAFormInListOrderAndHowTheWalkNamesThem) {
    const std::vector<TWebFormOfficial> officials = TLists().Officials();
    struct TRow {
        TFormOffice Office;
        int Record;
        const char* Role;
        const char* Stop;
        const char* Key;
    };
    const TRow expected[] = {
        {TFormOffice::Senate, 0, "Senator", "Sen. Max Moe", "senate/OH/Moe, Max"},
        {TFormOffice::Senate, 2, "Senator", "Sen. Al Ray", "senate/VT/Ray, Al"},
        {TFormOffice::House, 0, "Representative", "Rep. Kim Lee", "house/OH-3/Lee, Kim"},
        {TFormOffice::House, 1, "Resident Commissioner", "Res. Comm. Pia Cruz",
         "house/PR-AL/Cruz, Pia"},
        {TFormOffice::House, 2, "Delegate", "Del. Sam Tan", "house/GU-AL/Tan, Sam"},
        {TFormOffice::President, 0, "President", "President John Doe", "president/Doe, John"},
        {TFormOffice::Leader, 0, "Prime Minister", "Prime Minister Mette Frederiksen",
         "leader/Denmark/Frederiksen, Mette"},
        {TFormOffice::Leader, 2, "Pope", "Pope Leo XIV", "leader/Vatican/Leo XIV"},
    };
    ASSERT_EQ(officials.size(), std::size(expected));
    for (std::size_t i = 0; i < officials.size(); ++i) {
        SCOPED_TRACE(expected[i].Stop);
        EXPECT_EQ(officials[i].Office, expected[i].Office);
        EXPECT_EQ(officials[i].Record, expected[i].Record);
        EXPECT_EQ(officials[i].Role, expected[i].Role);
        EXPECT_EQ(officials[i].Stop, expected[i].Stop);
        EXPECT_EQ(officials[i].Key, expected[i].Key);
        const TWalkStop stop = WalkStopFor(officials[i]);
        EXPECT_EQ(stop.Key, officials[i].Key);
        EXPECT_EQ(stop.Title, officials[i].Stop);
        EXPECT_EQ(stop.Url, officials[i].Url);
        EXPECT_EQ(stop.Official, officials[i].Official);
    }
    // The letter's placeholders read the official's own record.
    EXPECT_EQ(officials[4].Official.Kind, qv::TRecordKind::House);
    EXPECT_EQ(officials[4].Official.Fields.at(3), "Tan, Sam");
    EXPECT_EQ(officials[5].Official.Kind, qv::TRecordKind::President);
    EXPECT_EQ(officials[3].District, "AL");
    EXPECT_EQ(officials[1].Url, "HTTPS://ray.senate.example/");

    // Lists without the fields of their kind give nobody, and break nothing.
    EXPECT_TRUE(WebFormOfficials(ListOf(2, {{"OH", "https://x.example"}}), TOfficialList(),
                                 TOfficialList(), {"Doe, John", "none", "h"})
                    .empty());
}

TEST(FormOfficialsTest, FilterByStateAndParty) {
    const std::vector<TWebFormOfficial> officials = TLists().Officials();
    const auto shown = [&](const TWebFormFilter& filter) {
        std::string keys;
        for (const TWebFormOfficial& official : officials)
            if (PassesFilter(official, filter))
                keys +=
                    (keys.empty() ? "" : " ") + official.Stop.substr(official.Stop.rfind(' ') + 1);
        return keys;
    };
    struct TRow {
        TWebFormFilter Filter;
        const char* Shown;  // last words of the officials shown
    };
    const TRow rows[] = {
        {{"", ""}, "Moe Ray Lee Cruz Tan Doe Frederiksen XIV"},
        {{"OH", ""}, "Moe Lee"},
        {{"", "D"}, "Lee Cruz"},
        {{"OH", "R"}, "Moe"},
        {{"VT", "I"}, "Ray"},
        {{"WY", ""}, ""},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Filter.State + "/" + row.Filter.Party);
        EXPECT_EQ(shown(row.Filter), row.Shown);
    }
}

TEST(FormOfficialsTest, WebAddressesAreForms) {
    for (const char* form : {"http://a.example", "https://a.example/x", "HTTPS://A.EXAMPLE"})
        EXPECT_TRUE(IsWebFormAddress(form)) << form;
    for (const char* other :
         {"none", "", "http", "httpd@a.example", "ftp://a.example", "a@b.example"})
        EXPECT_FALSE(IsWebFormAddress(other)) << other;
}

}  // namespace
