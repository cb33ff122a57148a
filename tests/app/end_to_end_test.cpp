// One message from the first start to the mail server, through the program's
// real windows on a real X display (Xvfb), driven by mouse and key events;
// then a second start. The message boxes and file dialogs are the real ones
// too, answered as they come up. The servers are real and on loopback: the
// SMTP server, and an HTTP server that plays the user's proxy for the
// first-run request and the update check. Only the browser pane is a
// stand-in, so that no page is fetched from off the machine.
//
// Each window is saved as a picture into QV_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/application.h"
#include "app/long_lived_windows.h"
#include "app/main_window.h"
#include "app/small_windows.h"
#include "controls/dialogs.h"
#include "controls/send_progress.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "lists/official_list.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "mail/windows/review_window.h"
#include "sent/sent_records.h"
#include "settings/settings.h"
#include "settings/windows/mail_account.h"
#include "settings/windows/password_window.h"
#include "settings/windows/proxy_window.h"
#include "support/answering_proxy.h"
#include "support/fake_browser.h"
#include "support/smtp_test_server.h"
#include "update/first_run.h"
#include "update/list_updater.h"
#include "update/windows/update_window.h"

namespace {

// Three senators with mailboxes, and one whose office takes web forms only.
const char* const kSenate =
    "5 4\r\n"
    "AL,R,\"Doe, Jane\",jane.doe@senate.example,http://doe.example/\r\n"
    "AL,D,\"Loe, Lou\",https://loe.senate.example/contact,http://loe.example/\r\n"
    "AK,D,\"Roe, Rick\",rick.roe@senate.example,http://roe.example/\r\n"
    "AZ,I,\"Poe, Pat\",pat.poe@senate.example,http://poe.example/\r\n";

// The user's proxy: answers every request, the update check's dates file with
// the dates of a fresh installation (so nothing is offered), anything else
// with a short page.
const char* const kFreshDates = "5/1/1999\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n";

QString ScreenshotDir() {
    return qEnvironmentVariable("QV_SCREENSHOT_DIR", QDir::currentPath());
}

void SaveScreenshot(QWidget* window, const QString& name) {
    QApplication::processEvents();
    QDir().mkpath(ScreenshotDir());
    window->window()->grab().save(ScreenshotDir() + "/" + name + ".png");
}

// Answers the modal windows in the order the test expects them: each step
// waits until the active modal window passes its check, then acts on it.
// The checks run from a chain of single-shot timers, which go on firing
// inside the nested event loop of a modal window, so a step may open the
// next modal window. An optional step is passed over once the step after it
// is ready (the progress window of a quick send may come and go unseen). A
// modal window that no step expects is noted and closed, so that the test
// fails instead of hanging; the progress window is left alone.
class TModalScript {
  public:
    struct TStep {
        QString Name;  // also the screenshot's name
        std::function<bool(QWidget*)> Ready;
        std::function<void(QWidget*)> Act;
        bool Optional = false;
    };

    TModalScript() { Schedule(); }

    void Expect(TStep step) { steps_.push_back(std::move(step)); }
    bool Done() const { return steps_.empty(); }
    const QStringList& Unexpected() const { return unexpected_; }

  private:
    void Schedule() {
        QTimer::singleShot(50, &context_, [this] { Check(); });
    }

    void Check() {
        // The next check goes first: a step may block in a window of its own.
        Schedule();
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        while (steps_.size() > 1 && steps_.front().Optional && !steps_.front().Ready(modal) &&
               steps_[1].Ready(modal))
            steps_.pop_front();
        if (steps_.empty() || !steps_.front().Ready(modal)) {
            if (qobject_cast<TfrmSendProgress*>(modal) == nullptr && modal != lastActed_) {
                unexpected_.append(modal->windowTitle() + ": " + TextOf(modal));
                modal->close();
            }
            return;
        }
        TStep step = std::move(steps_.front());
        steps_.pop_front();
        lastActed_ = modal;
        SaveScreenshot(modal, step.Name);
        step.Act(modal);
    }

    static QString TextOf(QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        return box != nullptr ? box->text() : QString();
    }

    QObject context_;
    std::deque<TStep> steps_;
    QStringList unexpected_;
    QPointer<QWidget> lastActed_;  // may stay up a moment after its step
};

template <typename T>
std::function<bool(QWidget*)> IsA() {
    return [](QWidget* window) { return dynamic_cast<T*>(window) != nullptr; };
}

std::function<bool(QWidget*)> IsMessageBox(const QString& text) {
    return [text](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        return box != nullptr && box->text() == text;
    };
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClicks(field, text);
}

void TypeLines(QWidget* field, const QStringList& lines) {
    field->setFocus();
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClicks(field, lines[i]);
    }
}

template <typename T>
T* TopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = dynamic_cast<T*>(widget); found != nullptr && found->isVisible())
            return found;
    return nullptr;
}

// The program as its main() puts it together, with the browser pane stood
// in for and the update servers on loopback.
class TProgram {
  public:
    TProgram(IDialogs& dialogs, int proxyPort) {
        CurrentView = NoView;
        ManualCheck = false;
        frmMain = std::make_unique<TfrmMain>(
            dialogs,
            [](qv::THttpClient& client, const qv::TProxyConfig& proxy,
               std::function<void(bool)> done) {
                qv::SendFirstRunRequest(client, proxy, std::move(done));
            },
            TFakeBrowser::Factory(&browser));
        windows = CreateLongLivedWindows(frmMain.get(), dialogs);
        frmMain->SetLongLivedWindows(windows);
        ConnectMessageWindows(*frmMain, dialogs, windows, records);
        const std::string base = "http://127.0.0.1:" + std::to_string(proxyPort);
        frmMain->frmUpdate = new TfrmUpdate(
            frmMain.get(), dialogs, ProgramDirectory,
            {{base + "/qndata/", base + "/mirror/"}, qv::DefaultUpdateServers().TrustedKeys, {}});
    }

    // Declared first: the main window's children use it until they go.
    qv::sent::TSentRecords records;
    std::unique_ptr<TfrmMain> frmMain;
    TLongLivedWindows windows;
    TFakeBrowser* browser = nullptr;
};

class EndToEndTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Config.isValid() && Program.isValid() && Files.isValid());
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
        qputenv("XDG_DATA_HOME", Config.filePath("data").toUtf8());
        // The program folder: the shipped files, with the test's Senate.
        const QDir shipped(qEnvironmentVariable("QV_RUNTIME_DIR"));
        for (const QString& name : shipped.entryList({"*.dat", "*.htm", "*.jpg"}, QDir::Files))
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), Program.filePath(name)))
                << name.toStdString();
        WriteFile(Program.filePath("senate.dat"), kSenate);
        ProgramDirectory = Program.path().toStdString() + "/";
        LowColourMode = false;

        Proxy.start(qEnvironmentVariable("QV_PYTHON", "/usr/bin/python3"),
                    {"-c", qv::test::kAnsweringProxyScript, kFreshDates});
        ASSERT_TRUE(Proxy.waitForStarted(10000));
        while (!Proxy.canReadLine() && Proxy.waitForReadyRead(10000)) {
        }
        ProxyPort = Proxy.readLine().trimmed().toInt();
        ASSERT_GT(ProxyPort, 0);
        // The user's system proxy, which the first run takes over.
        qputenv("http_proxy", QString("http://127.0.0.1:%1/").arg(ProxyPort).toUtf8());
    }

    void TearDown() override {
        qunsetenv("http_proxy");
        Proxy.kill();
        Proxy.waitForFinished(5000);
    }

    static void WriteFile(const QString& path, const QByteArray& data) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    QTemporaryDir Config;
    QTemporaryDir Program;
    QTemporaryDir Files;
    QProcess Proxy;
    int ProxyPort = 0;
    TQtDialogs Dialogs;
    TModalScript Modals;
};

TEST_F(EndToEndTest, FirstStartOneMessageThenTheNextStart) {
    qv::test::SmtpTestServer smtp;
    ASSERT_NE(smtp.Port(), 0);
    const QString attachment = Files.filePath("budget-notes.txt");
    WriteFile(attachment, "Line items 4 to 9.\n");
    QRect placement;

    {
        TProgram program(Dialogs, ProxyPort);
        TfrmMain* main = program.frmMain.get();
        ASSERT_TRUE(FirstRun);

        // The first run: the welcome window, then the connection settings.
        Modals.Expect({"01-welcome", IsA<TfrmStartUp>(),
                       [](QWidget* w) { Click(static_cast<TfrmStartUp*>(w)->btnOK); }});
        const QString smtpPort = QString::number(smtp.Port());
        Modals.Expect({"02-connection-settings", IsA<TfrmProxy>(), [smtpPort](QWidget* w) {
                           auto* settings = static_cast<TfrmProxy*>(w);
                           // An open server on loopback, without TLS.
                           Type(settings->txtSMTP, "127.0.0.1");
                           Type(settings->txtUser, "jane");
                           settings->txtSMTPPort->clear();
                           Type(settings->txtSMTPPort, smtpPort);
                           Type(settings->txtReplyTo, "Jane Citizen <jane@example.org>");
                           Click(settings->btnOK);
                       }});
        main->resize(900, 640);
        main->move(60, 40);
        main->show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Modals.Done(); }, 60000));
        EXPECT_EQ(Settings.SMTPServer, "127.0.0.1");
        EXPECT_EQ(Settings.SMTPPort, smtp.Port());
        // The first-run request has gone out through the proxy and ended the first run.
        EXPECT_TRUE(QTest::qWaitFor([] { return !FirstRun; }, 30000));

        // The Senate, every state; three ticks with the mouse.
        main->OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 0);
        main->cbSName->setFocus();
        QTest::keyClick(main->cbSName, Qt::Key_Home);  // "(All)"
        TSuperGrid* grid = main->SuperGrid1;
        ASSERT_EQ(grid->RowCount(), 5);
        for (int row : {1, 3, 4}) {
            const QPoint centre =
                grid->visualRect(grid->Model().IndexOf(TSuperGrid::CheckColumn, row)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
        }
        EXPECT_EQ(SenateSelected, (std::vector<std::uint8_t>{1, 0, 1, 1}));
        SaveScreenshot(main, "03-main-window");

        // The send tool button: the review window, then the compose window.
        Modals.Expect({"04-review", IsA<TfrmGroupEmail>(), [](QWidget* w) {
                           auto* review = static_cast<TfrmGroupEmail*>(w);
                           EXPECT_EQ(review->SuperGrid1->RowCount(), 4);  // a title and three
                           Click(review->BitBtn2);                        // "Compose Message"
                       }});
        Click(main->ToolButton8);
        ASSERT_TRUE(Modals.Done());
        TfrmSendMessage* compose = TopLevel<TfrmSendMessage>();
        ASSERT_NE(compose, nullptr);
        const QString recipients = compose->txtTo->text() + compose->txtBCC->text();
        EXPECT_TRUE(recipients.contains("<jane.doe@senate.example>"));
        Type(compose->txtSubject, "The budget hearing");
        TypeLines(compose->Memo1,
                  {"Dear Senators,", "please hold the hearing in public.", "Thank you."});
        compose->PageControl1->setCurrentIndex(1);
        if (!compose->chkContact->isChecked())
            Click(compose->chkContact);
        Type(compose->txtName, "Jane Citizen");
        Type(compose->txtCity, "Springfield");
        Type(compose->txtState, "VA");
        SaveScreenshot(compose, "05-compose-contact");
        compose->PageControl1->setCurrentIndex(0);

        // An attachment through the attachment window and the file dialog.
        Modals.Expect({"06-attachments", IsA<TfrmAttach>(),
                       [](QWidget* w) { Click(static_cast<TfrmAttach*>(w)->btnAdd); }});
        Modals.Expect({"07-open-file", IsA<QFileDialog>(), [attachment](QWidget* w) {
                           auto* name = w->findChild<QLineEdit*>("fileNameEdit");
                           ASSERT_NE(name, nullptr);
                           Type(name, attachment);
                           QTest::keyClick(name, Qt::Key_Return);
                       }});
        Modals.Expect({"08-attachments-chosen",
                       [](QWidget* w) {
                           auto* attach = qobject_cast<TfrmAttach*>(w);
                           return attach != nullptr && attach->ListBox1->count() == 1;
                       },
                       [](QWidget* w) { Click(static_cast<TfrmAttach*>(w)->BitBtn1); }});
        compose->AddAttachment1->trigger();
        ASSERT_TRUE(Modals.Done());
        EXPECT_EQ(compose->lbAttach, QStringList{attachment});
        SaveScreenshot(compose, "09-compose-message");

        // Send. Without a keyring service (as here, with no desktop session)
        // the user is told so and asked for the password; left empty, the
        // message goes without a login. Then the progress window and the
        // success question.
        Modals.Expect(
            {"10-no-keyring",
             [](QWidget* w) {
                 auto* box = qobject_cast<QMessageBox*>(w);
                 return box != nullptr && box->text().startsWith(kNoKeyringWarning);
             },
             [](QWidget* w) { Click(static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)); },
             true});
        Modals.Expect({"11-password", IsA<TfrmMailPassword>(),
                       [](QWidget* w) { Click(static_cast<TfrmMailPassword*>(w)->btnOK); }, true});
        Modals.Expect({"12-sending", IsA<TfrmSendProgress>(), [](QWidget*) {}, true});
        Modals.Expect(
            {"13-sent",
             IsMessageBox("Message was sent successfully. Would you like to save a copy of the "
                          "message?"),
             [](QWidget* w) { Click(static_cast<QMessageBox*>(w)->button(QMessageBox::No)); }});
        QPointer<TfrmSendMessage> alive(compose);
        Click(compose->BitBtn1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 60000))
            << Modals.Unexpected().join('|').toStdString();
        EXPECT_TRUE(Modals.Done());

        placement = main->geometry();
        main->Close1->trigger();
        EXPECT_TRUE(Modals.Unexpected().isEmpty()) << Modals.Unexpected().join('|').toStdString();
    }

    // What the server received: one message to the three senators, with the
    // contact block in front of the text and the attachment.
    ASSERT_TRUE(smtp.Has(1));
    EXPECT_FALSE(smtp.Has(2));
    std::vector<std::string> rcpt = smtp.Lines(1, "rcpt ");
    std::sort(rcpt.begin(), rcpt.end());
    EXPECT_EQ(rcpt, (std::vector<std::string>{"rcpt jane.doe@senate.example",
                                              "rcpt pat.poe@senate.example",
                                              "rcpt rick.roe@senate.example"}));
    EXPECT_EQ(smtp.Lines(1, "mail_from "), std::vector<std::string>{"mail_from jane@example.org"});
    EXPECT_EQ(smtp.Lines(1, "header Subject: "),
              std::vector<std::string>{"header Subject: The budget hearing"});
    EXPECT_EQ(smtp.Lines(1, "part application/octet-stream budget-notes.txt").size(), 1u);
    EXPECT_EQ(smtp.Part(1, 2), "Line items 4 to 9.\n");
    const std::string body = smtp.Part(1, 1);
    EXPECT_EQ(body.rfind("Name:           Jane Citizen\r\n"
                         "email:          Jane Citizen <jane@example.org>\r\n"
                         "City:           Springfield\r\n"
                         "State:          VA\r\n"
                         "\r\n"
                         "Dear Senators,\r\n",
                         0),
              0u)
        << body;

    // The next start: no first run; the window where it was left, and the
    // settings as they were entered.
    {
        Settings = TSettings{};
        TProgram program(Dialogs, ProxyPort);
        TfrmMain* main = program.frmMain.get();
        EXPECT_FALSE(FirstRun);
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        QTest::qWait(500);  // the first activation and the update check
        EXPECT_EQ(main->geometry(), placement);
        EXPECT_EQ(Settings.SMTPServer, "127.0.0.1");
        EXPECT_EQ(Settings.SMTPPort, smtp.Port());
        EXPECT_EQ(Settings.EmailUser, "jane");
        EXPECT_EQ(Settings.ReplyTo, "Jane Citizen <jane@example.org>");
        EXPECT_TRUE(Settings.UseContact);
        EXPECT_EQ(Settings.Name, "Jane Citizen");
        EXPECT_EQ(Settings.City, "Springfield");
        EXPECT_EQ(Settings.State, "VA");
        EXPECT_TRUE(Settings.UseProxy);
        EXPECT_EQ(Settings.ProxyPort, ProxyPort);
        SaveScreenshot(main, "14-next-start");
        main->Close1->trigger();
        EXPECT_TRUE(Modals.Unexpected().isEmpty()) << Modals.Unexpected().join('|').toStdString();
    }
}

}  // namespace

int main(int argc, char** argv) {
    TQtDialogs dialogs;
    TApplication application(argc, argv, dialogs);
    QApplication::setApplicationName("Quorvane");
    QApplication::setApplicationDisplayName("Quorvane");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
