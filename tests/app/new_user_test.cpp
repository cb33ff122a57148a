// What a new user meets in every window: each window fits on a 1024 by 768
// screen with its texts whole at the default font, and every menu item has
// an accelerator of its own. The windows are the real ones with the shipped
// lists, under the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/long_lived_windows.h"
#include "app/small_windows.h"
#include "app/web_forms_window.h"
#include "controls/side_bar.h"
#include "controls/send_progress.h"
#include "lists/official_list.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "mail/windows/party_select_window.h"
#include "mail/windows/review_window.h"
#include "sent/sent_store.h"
#include "sent/windows/sent_window.h"
#include "settings/settings.h"
#include "settings/windows/password_window.h"
#include "settings/windows/proxy_window.h"
#include "support/fresh_start.h"
#include "update/windows/update_window.h"
#include "webforms/form_walk.h"

namespace {

constexpr QSize kSmallScreen(1024, 768);
// The offscreen platform draws no frames: room for a title bar and a panel.
constexpr int kTitleBarAndPanel = 56;

// The labels and buttons shown in `window` (on the tab in view) whose text
// does not fit the room they have.
void FindCutTexts(QWidget* window, QStringList& cut) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        // A label squeezed to a line or less is folded away on purpose.
        if (!label->isVisibleTo(window) || label->text().isEmpty() || label->height() <= 1)
            continue;
        // One that gives way to the window's width shows its whole text as
        // a tip instead.
        if (label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) {
            if (label->toolTip().isEmpty())
                cut.append(QString("label \"%1\" without a tip").arg(label->text()));
            continue;
        }
        const bool fits = label->wordWrap()
                              ? label->height() >= label->heightForWidth(label->width())
                              : label->width() >= label->sizeHint().width() &&
                                    label->height() >= label->sizeHint().height();
        if (!fits)
            cut.append(QString("label \"%1\" %2x%3").arg(label->text()).arg(label->width()).arg(
                label->height()));
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        // Tool buttons carry pictures of a fixed size, not texts.
        if (!button->isVisibleTo(window) || button->text().isEmpty() ||
            qobject_cast<QToolButton*>(button) != nullptr)
            continue;
        if (button->width() < button->sizeHint().width() ||
            button->height() < button->sizeHint().height())
            cut.append(QString("button \"%1\" %2x%3").arg(button->text()).arg(button->width()).arg(
                button->height()));
    }
}

// Each tab of each tab control in view in turn, with its cut texts.
QStringList CutTexts(QWidget* window) {
    QStringList cut;
    FindCutTexts(window, cut);
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        const int shown = tabs->currentIndex();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QApplication::processEvents();
            FindCutTexts(tabs->widget(tab), cut);
        }
        tabs->setCurrentIndex(shown);
    }
    cut.removeDuplicates();
    return cut;
}

class NewUserTest : public FreshStartTest {
  protected:
    void SetUp() override {
        FreshStartTest::SetUp();
        // The shipped lists, whose long names and many rows are what the
        // user sees.
        const QDir shipped(qEnvironmentVariable("QV_RUNTIME_DIR", QV_RUNTIME_DIR));
        for (const QString& name : shipped.entryList({"*.dat", "*.jpg"}, QDir::Files)) {
            QFile::remove(QDir(Program.path()).filePath(name));
            QFile::copy(shipped.filePath(name), QDir(Program.path()).filePath(name));
        }
    }

    // The main window past its first activation, with the windows that
    // live as long as it does.
    std::unique_ptr<TfrmMain> StartMain() {
        auto frmMain = Start();
        frmMain->FormActivate();
        windows_ = CreateLongLivedWindows(frmMain.get(), Dialogs);
        frmMain->SetLongLivedWindows(windows_);
        return frmMain;
    }

    TLongLivedWindows windows_;
};

struct TWindowRow {
    const char* Name;
    // Makes the window with its content; the main window is its owner.
    std::function<QWidget*(TfrmMain& main, TLongLivedWindows& windows, IDialogs& dialogs)> Make;
};

TEST_F(NewUserTest, EveryWindowFitsASmallScreenWithItsTextsWhole) {
    QTemporaryDir sentFolder;
    qv::sent::TSentStore sentStore(sentFolder.filePath("sent.db").toStdString());
    qv::webforms::TWalkMarks marks;
    const TWindowRow rows[] = {
        {"main window in the Senate view",
         [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             main.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 0);
             return &main;
         }},
        {"main window in World Leaders",
         [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             main.OutlookBar1->ClickItem(TfrmMain::InternationalGroup, 0);
             return &main;
         }},
        {"main window in My Officials",
         [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             main.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, TfrmMain::MyOfficialsItem);
             return &main;
         }},
        {"welcome", [](TfrmMain& main, TLongLivedWindows&,
                       IDialogs&) -> QWidget* { return new TfrmStartUp(&main); }},
        {"about", [](TfrmMain&, TLongLivedWindows& windows,
                     IDialogs&) -> QWidget* { return windows.frmAbout; }},
        {"grid colours", [](TfrmMain&, TLongLivedWindows& windows,
                            IDialogs&) -> QWidget* { return windows.frmColor; }},
        {"review with every senator ticked",
         [](TfrmMain&, TLongLivedWindows& windows, IDialogs&) -> QWidget* {
             SenateSelected.assign(SenateSelected.size(), 1);
             return windows.frmGroupEmail;
         }},
        {"party selection", [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             return new TfrmAdvancedSelect(&main, [] {});
         }},
        {"compose", [](TfrmMain& main, TLongLivedWindows& windows, IDialogs& dialogs) -> QWidget* {
             return OpenComposeWindow(&main, dialogs, *windows.frmAttach,
                                      "<jane.doe@senate.example>", {}, {});
         }},
        {"compose with long attachment paths",
         [](TfrmMain& main, TLongLivedWindows& windows, IDialogs& dialogs) -> QWidget* {
             TfrmSendMessage* compose =
                 OpenComposeWindow(&main, dialogs, *windows.frmAttach, {}, {}, {});
             const QString folder = "/home/jane/Documents/Letters to my representatives/2026/";
             compose->SetAttachments({folder + "budget-hearing-notes.txt",
                                      folder + "county-road-survey-results.pdf",
                                      folder + "petition-signatures-first-batch.pdf"});
             return compose;
         }},
        {"attachments", [](TfrmMain&, TLongLivedWindows& windows,
                           IDialogs&) -> QWidget* { return windows.frmAttach; }},
        {"connection settings at the first run",
         [](TfrmMain& main, TLongLivedWindows&, IDialogs& dialogs) -> QWidget* {
             FirstRun = true;
             return new TfrmProxy(&main, dialogs);
         }},
        {"password question", [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             return new TfrmMailPassword(&main, "jane.citizen@example.org",
                                         "smtp.mail.example.org");
         }},
        {"updater, manual check",
         [](TfrmMain& main, TLongLivedWindows&, IDialogs& dialogs) -> QWidget* {
             ManualCheck = true;
             // Nothing listens there: the check ends at once.
             return new TfrmUpdate(&main, dialogs, ProgramDirectory,
                                   {{"http://127.0.0.1:1/", "http://127.0.0.1:1/"}, {}, {}});
         }},
        {"sending progress", [](TfrmMain& main, TLongLivedWindows&, IDialogs&) -> QWidget* {
             auto* progress = new TfrmSendProgress(&main);
             progress->ShowStep("Sending transaction 2 of 3 (99 recipients)...");
             return progress;
         }},
        {"sent messages",
         [&sentStore](TfrmMain& main, TLongLivedWindows&, IDialogs& dialogs) -> QWidget* {
             return new TfrmSentMessages(sentStore, dialogs, {}, &main);
         }},
        {"web forms", [&marks](TfrmMain& main, TLongLivedWindows&, IDialogs& dialogs) -> QWidget* {
             return new TfrmWebForms(&main, dialogs, marks, nullptr);
         }},
    };

    for (const TWindowRow& row : rows) {
        SCOPED_TRACE(row.Name);
        Settings = TSettings();
        auto frmMain = StartMain();
        frmMain->show();
        QPointer<QWidget> window = row.Make(*frmMain, windows_, Dialogs);
        ASSERT_NE(window, nullptr);
        window->show();
        QApplication::processEvents();

        const QSize frame = window->frameGeometry().size();
        EXPECT_LE(frame.width(), kSmallScreen.width());
        EXPECT_LE(frame.height(), kSmallScreen.height() - kTitleBarAndPanel);
        const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
        EXPECT_LE(smallest.width(), kSmallScreen.width());
        EXPECT_LE(smallest.height(), kSmallScreen.height() - kTitleBarAndPanel);
        EXPECT_EQ(CutTexts(window), QStringList());

        if (window != frmMain.get())
            delete window;
        FirstRun = false;
        ManualCheck = false;
    }
}

// Every item of every menu of the main window and the compose window, and
// every menu title, has an '&' letter of its own within its menu.
TEST_F(NewUserTest, EveryMenuItemHasAnAcceleratorOfItsOwn) {
    auto frmMain = StartMain();
    QPointer<TfrmSendMessage> compose =
        OpenComposeWindow(frmMain.get(), Dialogs, *windows_.frmAttach, {}, {}, {});
    for (QWidget* window : {static_cast<QWidget*>(frmMain.get()), static_cast<QWidget*>(compose)}) {
        QList<QWidget*> menus;
        for (QMenuBar* bar : window->findChildren<QMenuBar*>())
            menus.append(bar);
        for (QMenu* menu : window->findChildren<QMenu*>())
            menus.append(menu);
        ASSERT_GT(menus.size(), 1);
        for (QWidget* menu : menus) {
            QSet<QChar> letters;
            for (const QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                const QString text = action->text();
                SCOPED_TRACE(text.toStdString());
                const int amp = text.indexOf('&');
                ASSERT_TRUE(amp >= 0 && amp + 1 < text.size() && text[amp + 1].isLetterOrNumber());
                const QChar letter = text[amp + 1].toLower();
                EXPECT_FALSE(letters.contains(letter));
                letters.insert(letter);
            }
        }
    }
    delete compose;
}

}  // namespace
