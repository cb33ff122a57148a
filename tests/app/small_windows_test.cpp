// The welcome, about and grid colour windows as the main window opens them,
// with the modal loop, the colour dialog and the browser faked.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "app/pages.h"
#include "app/small_windows.h"
#include "controls/super_grid.h"
#include "controls/wallpaper.h"
#include "settings/settings.h"
#include "support/fresh_start.h"
#include "update/servers.h"

namespace {

class SmallWindowsTest : public FreshStartTest {
  protected:
    std::unique_ptr<TfrmMain> StartWithWindows(TScreenInfo screen = {32, {1024, 768}}) {
        for (const char* picture : {"qnicon.jpg", "qnbkgnd.jpg"})
            QFile::copy(qEnvironmentVariable("QV_RUNTIME_DIR", QV_RUNTIME_DIR) + "/" + picture,
                        QDir(Program.path()).filePath(picture));
        Start().reset();  // past the first run and its welcome
        auto frmMain = Start(screen);
        frmMain->FormActivate();
        frmMain->SetLongLivedWindows(CreateLongLivedWindows(frmMain.get(), Dialogs));
        frmMain->show();
        return frmMain;
    }

    // Answers the next modal window: shows it as the modal loop would, lets
    // `use` work it, and returns its result once `use` has closed it.
    void Answer(std::function<void(QDialog&)> use) {
        Dialogs.ModalAnswers.push_back([use](QDialog& window) {
            window.show();
            QApplication::processEvents();
            use(window);
            EXPECT_FALSE(window.isVisible());
            return window.result();
        });
    }
};

TEST_F(SmallWindowsTest, FirstRunShowsTheWelcomeCentredOverTheMainWindow) {
    auto frmMain = Start();
    QPoint at;
    QSize size;
    Answer([&](QDialog& welcome) {
        at = welcome.pos();
        size = welcome.size();
        QTest::mouseClick(welcome.findChild<QPushButton*>(), Qt::LeftButton);
    });
    frmMain->FormActivate();
    ASSERT_FALSE(Dialogs.ModalWindows.isEmpty());
    EXPECT_EQ(Dialogs.ModalWindows.first(), "Welcome to Quorvane");
    const QRect main = frmMain->frameGeometry();
    EXPECT_EQ(
        at,
        QPoint(RoundHalfEven(main.width() / 2.0) + main.x() - RoundHalfEven(size.width() / 2.0),
               RoundHalfEven(main.height() / 2.0) + main.y() - RoundHalfEven(size.height() / 2.0)));
    frmMain.reset();

    // The second start shows no welcome.
    Dialogs.ModalWindows.clear();
    frmMain = Start();
    frmMain->FormActivate();
    EXPECT_TRUE(Dialogs.ModalWindows.isEmpty());
}

TEST_F(SmallWindowsTest, AboutWindowPlacesItselfAndItsLinkOpensTheSite) {
    // At 256 colours the window is plain navy. Where it goes at the screen's
    // edges: PlaceDialogTest.
    for (const bool lowColour : {false, true}) {
        SCOPED_TRACE(lowColour);
        auto frmMain = StartWithWindows({lowColour ? 8 : 32, {1024, 768}});
        frmMain->move(50, 50);
        TfrmAbout* about = nullptr;
        Answer([&](QDialog& window) {
            about = static_cast<TfrmAbout*>(&window);
            const QRect main = frmMain->frameGeometry();
            EXPECT_EQ(window.x(), main.x() + RoundHalfEven(main.width() / 2.0) -
                                      RoundHalfEven(window.width() / 2.0));
            EXPECT_EQ(about->Wallpaper1->Wallpaper().isNull(), lowColour);
            EXPECT_TRUE(about->lblLink->text().contains(qv::servers::kProductHost));
            QTest::mouseClick(about->btnOK, Qt::LeftButton);
        });
        frmMain->About1->trigger();
        EXPECT_EQ(Dialogs.ModalWindows.last(), "About Quorvane");
        ASSERT_NE(about, nullptr);

        // Reused: the link opens the maker's site and closes the window.
        Answer([&](QDialog&) { emit about->lblLink->linkActivated("site"); });
        frmMain->About1->trigger();
        EXPECT_EQ(Browser->Navigations().last(), QString::fromStdString(ProductHomePage()));
        EXPECT_EQ(frmMain->pnlContent->currentWidget(), frmMain->WebBrowser1);
    }
}

TEST_F(SmallWindowsTest, ColourWindowCancelChangesNothingAndOkAppliesAndSaves) {
    auto frmMain = StartWithWindows();
    const int even = Settings.EvenRowColor;
    const int odd = Settings.OddRowColor;
    TSuperGrid* grid = frmMain->SuperGrid1;
    const QColor gridEven = grid->EvenRowColour();

    // Cancel after changing a swatch.
    Dialogs.ColourAnswers = {QColor(10, 20, 30)};
    Answer([&](QDialog& window) {
        auto& colours = static_cast<TfrmColor&>(window);
        EXPECT_EQ(colours.EvenColour(), SettingColour(even));
        QTest::mouseClick(colours.btnEven, Qt::LeftButton);
        EXPECT_EQ(colours.EvenColour(), QColor(10, 20, 30));
        QTest::mouseClick(colours.btnCancel, Qt::LeftButton);
    });
    frmMain->GridColors1->trigger();
    EXPECT_EQ(Settings.EvenRowColor, even);
    EXPECT_EQ(grid->EvenRowColour(), gridEven);

    // Reopened from the grid's menu: the stored colours again; a colour
    // dialog cancelled keeps the swatch; OK applies and writes the file.
    Dialogs.ColourAnswers = {QColor(), QColor(200, 100, 50)};
    Answer([&](QDialog& window) {
        auto& colours = static_cast<TfrmColor&>(window);
        EXPECT_EQ(colours.EvenColour(), SettingColour(even));
        QTest::mouseClick(colours.btnEven, Qt::LeftButton);
        EXPECT_EQ(colours.EvenColour(), SettingColour(even));
        QTest::mouseClick(colours.btnOdd, Qt::LeftButton);
        QTest::mouseClick(colours.btnOK, Qt::LeftButton);
    });
    frmMain->GridColors2->trigger();
    EXPECT_EQ(Dialogs.ModalWindows, (QStringList{"Grid Color Settings", "Grid Color Settings"}));
    EXPECT_EQ(Settings.OddRowColor, 200 | 100 << 8 | 50 << 16);
    EXPECT_EQ(Settings.EvenRowColor, even);
    EXPECT_EQ(grid->OddRowColour(), QColor(200, 100, 50));
    Settings.OddRowColor = odd;
    LoadSettings();
    EXPECT_EQ(Settings.OddRowColor, 200 | 100 << 8 | 50 << 16);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

}  // namespace
