// The fill script and the walk in the real browser engine, on the local
// form pages served by Python's http.server.
#include "webforms/engine/form_filler.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <optional>

#include "support/http_test_servers.h"

namespace {

using namespace qv::webforms;

TSettings Contact() {
    TSettings s;
    s.Name = "Dr. Jane Q. Citizen";
    s.Street1 = "100 Main Street";
    s.City = "Richmond";
    s.State = "VA";
    s.ZipCode = "23219-1234";
    s.UHomeP = "804-555-0134";
    s.ReplyTo = "jane@example.org";
    return s;
}

std::string Field(const TFillResult& result, const std::string& key) {
    for (const auto& [name, value] : result.Fields) {
        if (name == key) {
            return value;
        }
    }
    return "<no field " + key + ">";
}

class FormWalkerTest : public ::testing::Test {
  protected:
    qvtest::HttpTestServer server{qvtest::SourcePath("tests/webforms/pages")};
    QWebEngineProfile profile;
    QWebEnginePage page{&profile};
    TFillValues values =
        BuildFillValues(Contact(), {"Clean water", "Please act, {Title} {LastName}."});

    std::string Url(const std::string& path) const { return server.Url(path); }

    // Waits for the filler's next answer; a failure or 30 seconds without one
    // fails the test.
    TFillResult NextFill(TFormFiller& filler) {
        QEventLoop loop;
        std::optional<TFillResult> result;
        QString failure = "no fill within 30 seconds";
        auto fail = [&](const QString& why) {
            failure = why;
            loop.quit();
        };
        QObject::connect(&filler, &TFormFiller::Filled, &loop, [&](const TFillResult& r) {
            result = r;
            loop.quit();
        });
        QObject::connect(&filler, &TFormFiller::FillFailed, &loop, fail);
        QObject::connect(&filler, &TFormFiller::LoadFailed, &loop,
                         [&](const QUrl&, const QString& why) { fail(why); });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!result) {
            ADD_FAILURE() << failure.toStdString();
            return {};
        }
        return *result;
    }

    // Runs script in the page's own world, as the page or the user would.
    QVariant InPage(const QString& script) {
        QEventLoop loop;
        QVariant answer;
        page.runJavaScript(script, [&](const QVariant& a) {
            answer = a;
            loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        return answer;
    }

    bool Load(const std::string& path) {
        QEventLoop loop;
        bool ok = false;
        QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool done) {
            ok = done;
            loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        page.load(QUrl(QString::fromStdString(Url(path))));
        loop.exec();
        return ok;
    }
};

TEST_F(FormWalkerTest, WalksThreeOfficialsFillingEveryStep) {
    TWalkMarks marks;
    TFormWalker walker(page, marks);
    std::vector<std::string> captions;
    int finished = 0;
    QObject::connect(&walker, &TFormWalker::Moved,
                     [&] { captions.push_back(walker.Walk()->Caption()); });
    QObject::connect(&walker, &TFormWalker::Finished, [&] { ++finished; });

    const qv::TOfficialRecord annA{qv::TRecordKind::House, {"VA", "4", "D", "A, Ann", "-", "-"}};
    const qv::TOfficialRecord bobB{qv::TRecordKind::Senate, {"VA", "R", "B, Bob", "-", "-"}};
    walker.Start({{"house/1", "Rep. Ann A", Url("/zip_step.html"), annA},
                  {"senate/2", "Sen. Bob B", Url("/labels_around.html"), bobB},
                  {"senate/3", "Sen. Cy C", Url("/placeholders.html")}},
                 values);
    EXPECT_EQ(Field(NextFill(walker.Filler()), "zip"), "23219");
    // The user presses Continue; the form of the second step is filled too.
    InPage("document.forms[0].submit()");
    TFillResult step2 = NextFill(walker.Filler());
    EXPECT_EQ(Field(step2, "fname"), "Jane");
    EXPECT_EQ(Field(step2, "msg"), "Please act, Representative A.");
    EXPECT_EQ(Field(step2, "district"), "VA-04");

    walker.Next();
    TFillResult second = NextFill(walker.Filler());
    EXPECT_EQ(Field(second, "name"), "Jane Q. Citizen");
    EXPECT_EQ(Field(second, "subject"), "Clean water");
    EXPECT_EQ(Field(second, "comments"), "Please act, Senator B.");
    // Fill Again keeps what the user typed over the fill and refills the rest.
    InPage("document.querySelector('[name=subject]').value = 'My own words';"
           "document.querySelector('[name=street]').value = '';");
    walker.FillAgain();
    TFillResult again = NextFill(walker.Filler());
    EXPECT_EQ(Field(again, "subject"), "My own words");
    EXPECT_EQ(Field(again, "street"), "100 Main Street");

    walker.Skip();
    EXPECT_EQ(Field(NextFill(walker.Filler()), "q1"), "Jane");
    walker.Stop();

    EXPECT_EQ(captions, (std::vector<std::string>{"1 of 3: Rep. Ann A", "2 of 3: Sen. Bob B",
                                                  "3 of 3: Sen. Cy C", ""}));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(marks.Mark("house/1"), TWalkMark::Done);
    EXPECT_EQ(marks.Mark("senate/2"), TWalkMark::Skipped);
    EXPECT_EQ(marks.Mark("senate/3"), TWalkMark::Stopped);

    // After the walk, pages are left as they come.
    ASSERT_TRUE(Load("/zip_form.html"));
    EXPECT_EQ(InPage("document.getElementById('fn').value").toString(), "");
}

TEST_F(FormWalkerTest, FillsAPageOpenedBeforeAndMarksWhatItDidAndDidNot) {
    ASSERT_TRUE(Load("/labels_for.html"));
    TFormFiller filler(page);
    filler.SetValues(values);
    filler.Fill();
    const TFillResult result = NextFill(filler);
    EXPECT_EQ(Field(result, "first"), "Jane");
    EXPECT_EQ(result.UnfilledRequired, (std::vector<std::string>{"topic", "captcha_answer"}));
    EXPECT_EQ(result.Filled, (std::vector<std::string>{"prefix", "first", "last", "addr1", "city",
                                                       "state", "zip", "email", "message"}));

    auto outline = [&](const char* id) {
        return InPage(QString("getComputedStyle(document.getElementById('%1')).outlineColor").arg(id))
            .toString()
            .toStdString();
    };
    EXPECT_EQ(outline("f1"), "rgb(46, 125, 50)");
    EXPECT_EQ(outline("t"), "rgb(198, 40, 40)");
    EXPECT_EQ(outline("cap"), "rgb(198, 40, 40)");
    EXPECT_NE(outline("a2"), "rgb(46, 125, 50)");  // nothing to put there
    // The page's own scripts do not see the filler.
    EXPECT_EQ(InPage("typeof quorvaneForms").toString(), "undefined");
}

}  // namespace
