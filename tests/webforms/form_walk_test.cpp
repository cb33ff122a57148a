#include "webforms/form_walk.h"

#include <gtest/gtest.h>

#include "webforms/fill_result.h"

namespace {

using namespace qv::webforms;

TEST(FormWalkTest, WalksThroughTheOfficialsAndRemembersEach) {
    TWalkMarks marks;
    marks.SetMark("senate/9", TWalkMark::Skipped);  // from an earlier walk
    TFormWalk walk({{"senate/1", "Sen. Ann A", "https://a.example/contact"},
                    {"house/7", "Rep. Bob B", "https://b.example/contact"},
                    {"house/8", "Rep. Cy C", "https://c.example/contact"},
                    {"house/9", "Rep. Di D", "https://d.example/contact"}},
                   marks);
    EXPECT_EQ(walk.Caption(), "1 of 4: Sen. Ann A");
    walk.Next();
    EXPECT_EQ(walk.Caption(), "2 of 4: Rep. Bob B");
    EXPECT_EQ(walk.Current().Url, "https://b.example/contact");
    walk.Skip();
    walk.Stop();
    EXPECT_FALSE(walk.Active());
    EXPECT_EQ(walk.Caption(), "");
    walk.Next();  // nothing once over
    walk.Stop();

    EXPECT_EQ(marks.Mark("senate/1"), TWalkMark::Done);
    EXPECT_EQ(marks.Mark("house/7"), TWalkMark::Skipped);
    EXPECT_EQ(marks.Mark("house/8"), TWalkMark::Stopped);
    EXPECT_EQ(marks.Mark("house/9"), TWalkMark::None);
    EXPECT_EQ(marks.Mark("senate/9"), TWalkMark::Skipped);
    EXPECT_EQ(WalkMarkText(marks.Mark("house/8")), "Stopped");

    TFormWalk last({{"senate/1", "Sen. Ann A", "u"}}, marks);
    marks.SetMark("senate/1", TWalkMark::None);
    last.Next();
    EXPECT_FALSE(last.Active());
    EXPECT_EQ(last.Position(), 1u);
    EXPECT_EQ(marks.Mark("senate/1"), TWalkMark::Done);
    EXPECT_FALSE(TFormWalk({}, marks).Active());
}

TEST(FillResultJsonTest, PrintsOneObjectWithEscapedTexts) {
    TFillResult result;
    result.Fields = {{"name", "Jane \"J\" Citizen"}, {"msg", "a\\b\nc\td\x01"}, {"city", "Zürich"}};
    result.Filled = {"name"};
    result.UnfilledRequired = {"topic", "captcha"};
    EXPECT_EQ(FillResultJson(result),
              "{\"fields\": {\"name\": \"Jane \\\"J\\\" Citizen\", \"msg\": \"a\\\\b\\nc\\td\\u0001\", "
              "\"city\": \"Zürich\"}, \"unfilled_required\": [\"topic\", \"captcha\"]}");
    EXPECT_EQ(FillResultJson(TFillResult{}), "{\"fields\": {}, \"unfilled_required\": []}");
}

}  // namespace
