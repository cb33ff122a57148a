#include "app/main_window.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTemporaryDir>
#include <memory>

#include "app/app_state.h"
#include "app/web_forms_window.h"
#include "banner/advertisement.h"
#include "controls/side_bar.h"
#include "lists/official_list.h"
#include "mail/windows/compose_window.h"
#include "sent/sent_records.h"
#include "sent/windows/sent_window.h"
#include "settings/settings.h"
#include "support/fake_dialogs.h"
#include "support/fresh_start.h"
#include "support/list_files.h"

namespace {

constexpr TScreenInfo Colour{32, {1024, 768}};
constexpr TScreenInfo Palette256{8, {1024, 768}};
constexpr std::chrono::year_month_day Reset{std::chrono::year{1999}, std::chrono::January,
                                            std::chrono::day{1}};

QByteArray ReadSettingsFile() {
    QFile file(QString::fromStdString(SettingsFilePath()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            captions.append(action->text().remove('&'));
    return captions;
}

using MainWindowTest = FreshStartTest;

TEST_F(MainWindowTest, MenusAndSideBarAsTheUserSeesThem) {
    auto frmMain = Start();
    const QList<QAction*> menus = frmMain->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&Options");
    EXPECT_EQ(menus[2]->text(), "&Help");
    EXPECT_EQ(Captions(menus[0]->menu()),
              (QStringList{"Quorvane Home Page", "Ordering Info...",
                           "Write Through Web Forms...", "Sent Messages...", "Close"}));
    EXPECT_EQ(Captions(menus[1]->menu()),
              (QStringList{"Connection Settings...", "Grid Colors...", "Check For List Updates",
                           "Use external Email Program For Links"}));
    EXPECT_EQ(Captions(menus[2]->menu()), (QStringList{"Local Help", "Online Support", "About"}));
    EXPECT_EQ(Captions(frmMain->PopupMenu1), QStringList{"Grid Colors..."});
    EXPECT_TRUE(frmMain->UseExternalEmail1->isCheckable());
    EXPECT_TRUE(frmMain->UseExternalEmail1->isChecked());
    EXPECT_EQ(frmMain->windowTitle(), "Quorvane");

    const TSideBar* bar = frmMain->OutlookBar1;
    QStringList groups;
    for (int group = 0; group < bar->GroupCount(); ++group)
        groups.append(bar->GroupCaption(group));
    EXPECT_EQ(groups,
              (QStringList{"US Government", "International", "Multimedia", "Additional Links"}));
    const auto items = [bar](int group) {
        QStringList captions;
        for (int item = 0; item < bar->ItemCount(group); ++item)
            captions.append(bar->ItemCaption(group, item));
        return captions;
    };
    EXPECT_EQ(items(TfrmMain::UsGovernmentGroup),
              (QStringList{"Senate", "House Of Representatives", "White House", "Senate Voting",
                           "House Voting", "My Officials"}));
    EXPECT_EQ(items(TfrmMain::InternationalGroup),
              (QStringList{"World Leaders", "World Parliaments"}));
    EXPECT_TRUE(items(TfrmMain::MultimediaGroup).isEmpty());
    EXPECT_TRUE(items(TfrmMain::AdditionalLinksGroup).isEmpty());
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(MainWindowTest, NormalCloseIsRestoredOnTheNextStart) {
    auto frmMain = Start();
    EXPECT_TRUE(FirstRun);
    EXPECT_EQ(frmMain->pos(), QPoint(50, 50));
    EXPECT_EQ(frmMain->size(), QSize(640, 410));
    frmMain->show();
    frmMain->move(120, 90);
    frmMain->resize(700, 500);
    frmMain->Splitter1->setSizes({150, 550});
    frmMain->Close1Click();
    EXPECT_EQ(Settings.Status, 0);
    frmMain.reset();

    frmMain = Start();
    EXPECT_FALSE(FirstRun);
    EXPECT_FALSE(frmMain->isMaximized());
    EXPECT_EQ(frmMain->pos(), QPoint(120, 90));
    EXPECT_EQ(frmMain->size(), QSize(700, 500));
    EXPECT_EQ(Settings.OutBarWidth, 150);
    frmMain->show();
    EXPECT_EQ(frmMain->Splitter1->sizes().value(0), 150);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(MainWindowTest, MaximizedCloseReopensMaximizedThenNormalAgain) {
    auto frmMain = Start();
    frmMain->move(60, 70);
    frmMain->resize(600, 420);
    frmMain->showMaximized();
    frmMain->close();
    frmMain.reset();
    EXPECT_EQ(Settings.Status, 1);
    EXPECT_EQ(Settings.Width, 640);

    frmMain = Start();
    EXPECT_TRUE(frmMain->isMaximized());
    frmMain->show();
    frmMain->showNormal();
    frmMain->move(80, 40);
    frmMain->resize(660, 430);
    frmMain->close();
    frmMain.reset();

    frmMain = Start();
    EXPECT_FALSE(frmMain->isMaximized());
    EXPECT_EQ(frmMain->pos(), QPoint(80, 40));
    EXPECT_EQ(frmMain->size(), QSize(660, 430));
}

TEST_F(MainWindowTest, MinimizedCloseWritesNothing) {
    auto frmMain = Start();
    const QByteArray before = ReadSettingsFile();
    ASSERT_FALSE(before.isEmpty());
    frmMain->show();
    frmMain->move(200, 100);
    frmMain->showMinimized();
    frmMain->close();
    EXPECT_EQ(ReadSettingsFile(), before);
    frmMain.reset();

    frmMain = Start();
    EXPECT_EQ(frmMain->pos(), QPoint(50, 50));
}

TEST_F(MainWindowTest, OversizedSavedWindowOpensAtTheStandardSize) {
    Start().reset();
    Settings.Left = -30;
    Settings.Top = 10;
    Settings.Width = 2000;
    SaveSettings();
    auto frmMain = Start(TScreenInfo{32, {1024, 768}});
    EXPECT_EQ(frmMain->pos(), QPoint(0, 10));
    EXPECT_EQ(frmMain->width(), 725);
}

TEST_F(MainWindowTest, ExternalEmailItemIsSavedAtOnce) {
    auto frmMain = Start();
    frmMain->show();
    frmMain->UseExternalEmail1->trigger();
    EXPECT_FALSE(frmMain->UseExternalEmail1->isChecked());
    EXPECT_FALSE(Settings.UseRemoteEmail);
    frmMain.reset();

    // A new start without closing: the file already holds the change.
    frmMain = Start();
    EXPECT_FALSE(Settings.UseRemoteEmail);
    frmMain->show();
    EXPECT_FALSE(frmMain->UseExternalEmail1->isChecked());
}

TEST_F(MainWindowTest, ConnectionSettingsItemOpensTheSettingsWindow) {
    auto frmMain = Start();
    frmMain->ConnectionSettings1->trigger();
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Proxy Settings"});
}

TEST_F(MainWindowTest, MessageWindowsAreConnectedToTheirCommands) {
    auto frmMain = Start();
    const TLongLivedWindows windows = CreateLongLivedWindows(frmMain.get(), Dialogs);
    frmMain->SetLongLivedWindows(windows);
    qv::sent::TSentRecords records(Config.filePath("sent.sqlite").toStdString());
    ConnectMessageWindows(*frmMain, Dialogs, windows, records);
    frmMain->SentMessages1->trigger();
    auto* sent = frmMain->findChild<TfrmSentMessages*>();
    ASSERT_NE(sent, nullptr);
    EXPECT_TRUE(sent->isVisible());
    delete sent;
    frmMain->ShowPartySelection();
    EXPECT_EQ(Dialogs.ModalWindows, QStringList{"Advanced Selection Options"});
    frmMain->ComposeTo("rep@house.example");
    QList<TfrmSendMessage*> opened;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<TfrmSendMessage*>(widget))
            opened.append(window);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0]->txtTo->text(), "rep@house.example");
    EXPECT_TRUE(opened[0]->isVisible());

    // The letter of a compose window that closes is the Web Forms window's.
    opened[0]->txtSubject->setText("Clean water");
    opened[0]->Memo1->setPlainText("Please act.");
    opened[0]->BitBtn2Click();
    // The review window's warning leads there too when the list has forms.
    CurrentView = WhiteHouseView;
    PresidentSelected = 0;
    windows.frmGroupEmail->show();
    Dialogs.WarningActions.clear();  // the compose window's, without mail settings
    Dialogs.ActionAnswers = {true};
    windows.frmGroupEmail->BitBtn2Click();
    EXPECT_EQ(Dialogs.WarningActions, QStringList{"Write Through Web Forms..."});
    ASSERT_TRUE(frmMain->frmWebForms);
    EXPECT_TRUE(frmMain->frmWebForms->isVisible());
    EXPECT_EQ(frmMain->frmWebForms->txtSubject->text(), "Clean water");
    EXPECT_EQ(frmMain->frmWebForms->Memo1->toPlainText(), "Please act.");
}

TEST_F(MainWindowTest, FirstActivationLoadsListsAndBuildsLinkGroupsOnce) {
    list_files::Write(Program.path(), "senate.dat", list_files::DamagedSenate);
    QFile::remove(QDir(Program.path()).filePath("leaders.dat"));
    Start().reset();  // the first run is over
    auto frmMain = Start();
    ASSERT_FALSE(FirstRun);
    const std::chrono::year_month_day houseDate = Settings.House;

    frmMain->FormActivate();
    EXPECT_EQ(Dialogs.Warnings,
              (QStringList{"Error Loading Senate List.", "Error Loading World Leader List."}));
    EXPECT_EQ(Settings.Senate, Reset);
    EXPECT_EQ(Settings.Leaders, Reset);
    EXPECT_EQ(Settings.House, houseDate);
    EXPECT_EQ(HouseList.RowCount(), 1);

    const TSideBar* bar = frmMain->OutlookBar1;
    ASSERT_EQ(bar->ItemCount(TfrmMain::MultimediaGroup), 2);
    EXPECT_EQ(bar->ItemCaption(TfrmMain::MultimediaGroup, 0), "Video One");
    EXPECT_EQ(bar->ItemAddress(TfrmMain::MultimediaGroup, 1), "http://media.example/2");
    ASSERT_EQ(bar->ItemCount(TfrmMain::AdditionalLinksGroup), 3);
    EXPECT_EQ(bar->ItemCaption(TfrmMain::AdditionalLinksGroup, 0), "Link C");
    EXPECT_EQ(bar->ItemCaption(TfrmMain::AdditionalLinksGroup, 2), "Link B");
    EXPECT_EQ(frmMain->focusWidget(), frmMain->txtURL);

    frmMain->FormActivate();
    EXPECT_EQ(Dialogs.Warnings.size(), 2);
    EXPECT_EQ(bar->ItemCount(TfrmMain::AdditionalLinksGroup), 3);
}

TEST_F(MainWindowTest, ShowingTheWindowRunsTheFirstActivation) {
    Start().reset();
    auto frmMain = Start();
    frmMain->show();
    QApplication::processEvents();
    EXPECT_EQ(frmMain->OutlookBar1->ItemCount(TfrmMain::AdditionalLinksGroup), 3);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
}

TEST_F(MainWindowTest, FailedFirstRunRequestKeepsFirstRunAndSkipsTheRest) {
    int requests = 0;
    auto frmMain = Start(Palette256, [&](qv::THttpClient&, const qv::TProxyConfig& proxy,
                                         std::function<void(bool)> done) {
        ++requests;
        EXPECT_FALSE(proxy.UseProxy);
        done(false);
    });
    ASSERT_TRUE(FirstRun);
    frmMain->FormActivate();
    EXPECT_EQ(Dialogs.ModalWindows, (QStringList{"Welcome to Quorvane", "Proxy Settings"}));
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(FirstRun);
    EXPECT_TRUE(Dialogs.Warnings.isEmpty());
    EXPECT_NE(frmMain->focusWidget(), frmMain->txtURL);
}

TEST_F(MainWindowTest, FirstRunRequestThenLowColourWarningOnceOnly) {
    int requests = 0;
    TFirstRunRequest request = [&](qv::THttpClient&, const qv::TProxyConfig& proxy,
                                   std::function<void(bool)> done) {
        ++requests;
        EXPECT_TRUE(proxy.UseProxy);
        EXPECT_EQ(proxy.Host, "proxy.example");
        EXPECT_EQ(proxy.Port, 3128);
        done(true);
    };
    auto frmMain = Start(Palette256, request);
    // As the user leaves them in the connection settings window.
    Settings.UseProxy = true;
    Settings.ProxyHost = "proxy.example";
    Settings.ProxyPort = 3128;
    EXPECT_TRUE(LowColourMode);
    EXPECT_FALSE(frmMain->qnlabel->isHidden());
    EXPECT_TRUE(frmMain->Image1->isHidden());
    frmMain->FormActivate();
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(FirstRun);
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_TRUE(Dialogs.Warnings[0].startsWith(
        "You are currently running in a 256 color or less resolution\n\n"));
    EXPECT_EQ(Dialogs.Warnings[0].count("\n\n"), 2);
    frmMain.reset();

    frmMain = Start(Colour, request);
    frmMain->FormActivate();
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(LowColourMode);
    EXPECT_TRUE(frmMain->qnlabel->isHidden());
    EXPECT_FALSE(frmMain->Image1->isHidden());
    EXPECT_EQ(Dialogs.Warnings.size(), 1);
}

TEST_F(MainWindowTest, BannerStripLogoAndAddressBoxSizes) {
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("QV_RUNTIME_DIR", QV_RUNTIME_DIR) + "/qnlogo.jpg",
                            QDir(Program.path()).filePath("qnlogo.jpg")));
    auto frmMain = Start();
    frmMain->show();
    EXPECT_EQ(frmMain->Panel5->width(), 469);
    EXPECT_EQ(frmMain->Panel2->height(), 62);
    // No advertising library: the banner stays an empty area of its size.
    EXPECT_FALSE(frmMain->Adimage1->StartedOkay());
    EXPECT_EQ(frmMain->Adimage1->geometry(), QRect(0, 0, 468, 60));
    ASSERT_FALSE(frmMain->Image1->pixmap().isNull());
    const int logoHeight = frmMain->Image1->height();
    EXPECT_EQ(frmMain->Image1->y(), 31 - RoundHalfEven(logoHeight / 2.0));
    EXPECT_EQ(frmMain->pnlAddress->width(), frmMain->lblAddress->width() + 5);

    frmMain->resize(1300, 500);
    QApplication::processEvents();
    EXPECT_EQ(frmMain->txtURL->width(), 371);
    frmMain->resize(500, 500);
    QApplication::processEvents();
    EXPECT_EQ(frmMain->txtURL->width(), frmMain->pnlURL->width() - 20);
}

TEST_F(MainWindowTest, BannerStartsTheAdvertisingLibraryFromTheProgramFolder) {
    const QString library = QDir(Program.path()).filePath(TAdvertisement::LibraryName);
    ASSERT_TRUE(QFile::copy(QV_ADIMAGE_STAND_IN, library));
    auto frmMain = Start();
    EXPECT_TRUE(frmMain->Adimage1->StartedOkay());
    EXPECT_EQ(frmMain->Adimage1->geometry(), QRect(0, 0, 468, 60));
    EXPECT_EQ(frmMain->Adimage1->Companion(), nullptr);

    void* standIn = dlopen(QFile::encodeName(library).constData(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(standIn, nullptr);
    const auto calls = reinterpret_cast<const char* (*)()>(dlsym(standIn, "StandInCalls"));
    ASSERT_NE(calls, nullptr);
    EXPECT_EQ(std::string(calls()),
              "Initialize " + std::to_string(frmMain->Adimage1->winId()) +
                  " 242 0 1 0\nStartMessaging 242\n");
    dlclose(standIn);
    frmMain->show();
    QApplication::processEvents();
    EXPECT_EQ(frmMain->Panel5->width(), 469);
}

TEST_F(MainWindowTest, RefusedSettingsWriteIsShownAndTheWindowStillWorks) {
    // A file where the settings folder should be.
    QFile blocker(QDir(Config.path()).filePath("quorvane"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto frmMain = Start();
    ASSERT_EQ(Dialogs.Warnings.size(), 1);
    EXPECT_TRUE(Dialogs.Warnings[0].startsWith("Unable to write to "));
    EXPECT_EQ(frmMain->size(), QSize(640, 410));
    frmMain->show();
    frmMain->close();
    EXPECT_EQ(Dialogs.Warnings.size(), 2);
}

}  // namespace
