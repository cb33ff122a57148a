// Takes the README's screenshots of the program's windows with the shipped
// lists and pages: qv_take_screenshots <folder>. Runs under an X server (the script
// scripts/screenshots.sh starts one) with a settings folder of its own, and
// opens the local start page so that the pictures do not depend on the
// network.
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <functional>

#include "app/app_state.h"
#include "app/form_walk_bar.h"
#include "app/main_window.h"
#include "app/pages.h"
#include "app/web_browser.h"
#include "app/web_forms_window.h"
#include "controls/dialogs.h"
#include "controls/side_bar.h"
#include "controls/super_grid.h"
#include "mail/salutation.h"
#include "mail/windows/attach_window.h"
#include "mail/windows/compose_window.h"
#include "settings/settings.h"
#include "webforms/fill_values.h"
#include "webforms/engine/browser_engine.h"

namespace {

// The window as the pictures show it, in the settings file's terms, and a
// made-up citizen's contact details.
const char* const SettingsText =
    "[Main]\r\nStatus=0\r\nLeft=0\r\nTop=0\r\nWidth=1000\r\nHeight=640\r\nOutBar Width=150\r\n"
    "[Mail]\r\nSMTP Server=smtp.example.org\r\nemail User=jane.citizen@example.org\r\n"
    "ReplyTo=jane.citizen@example.org\r\nSMTP Port=587\r\nSMTP Security=2\r\n"
    "[Contact]\r\nName=Jane Q. Citizen\r\nStreet1=100 Main Street\r\nCity=Columbus\r\n"
    "State=OH\r\nZipCode=43201\r\nUHomeP=614-555-0134\r\n";

// A contact form laid out as offices' forms commonly are, for an office that
// does not exist: the picture of a filled form must not depend on the
// network or on a real office's page.
const char* const FormPage = R"(<!DOCTYPE html>
<html><head><title>Contact Senator Example</title><style>
body { font-family: sans-serif; margin: 16px 24px; color: #222; }
h1 { font-size: 20px; color: #123; margin: 0 0 10px; }
label { display: block; font-size: 13px; margin-top: 7px; }
input, select, textarea { font-size: 13px; padding: 3px; width: 300px; }
textarea { width: 520px; height: 70px; }
.row { display: flex; gap: 16px; } .row input { width: 140px; }
button { margin-top: 10px; padding: 5px 16px; }
</style></head><body>
<h1>Contact Senator Example</h1>
<form>
<div class="row">
<div><label for="p">Prefix *</label><select id="p" name="prefix" required style="width:90px">
<option value=""></option><option>Mr.</option><option>Ms.</option><option>Dr.</option></select></div>
<div><label for="f">First Name *</label><input id="f" name="first" required></div>
<div><label for="l">Last Name *</label><input id="l" name="last" required></div></div>
<label for="a">Street Address *</label><input id="a" name="address1" required>
<div class="row">
<div><label for="c">City *</label><input id="c" name="city" required></div>
<div><label for="s">State *</label><select id="s" name="state" required style="width:90px">
<option value=""></option><option>OH</option><option>PA</option></select></div>
<div><label for="z">ZIP Code *</label><input id="z" name="zip" required></div></div>
<div class="row">
<div><label for="e">Email *</label><input id="e" name="email" type="email" required></div>
<div><label for="ph">Phone</label><input id="ph" name="phone" type="tel"></div></div>
<label for="t">Topic *</label><select id="t" name="topic" required>
<option value="">Choose a topic</option><option>Environment</option><option>Health</option></select>
<label for="sub">Subject *</label><input id="sub" name="subject" required>
<label for="m">Message *</label><textarea id="m" name="message" required></textarea>
<label for="cap">Type the characters you see *</label><input id="cap" name="captcha" required style="width:120px">
<br><button type="submit">Submit</button>
</form></body></html>
)";

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int milliseconds = 30000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        Wait(50);
    return done();
}

bool Shoot(QWidget& window, const QString& path) {
    Wait(500);  // let the last paint reach the screen
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (!picture.isNull() && picture.save(path, "PNG")) {
        std::printf("%s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Opens `address` and waits until the page has loaded.
bool Open(TfrmMain& frmMain, const std::string& address) {
    frmMain.StatusBar1->clearMessage();
    frmMain.NavigateTo(QString::fromStdString(address));
    return WaitFor([&] { return frmMain.StatusBar1->currentMessage() == "Done"; });
}

}  // namespace

int main(int argc, char* argv[]) {
    PrepareBrowserEngine();
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_take_screenshots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir config;
    if (!config.isValid() || !QDir(config.path()).mkpath("quorvane"))
        return 1;
    QFile settings(config.filePath("quorvane/quorvane.ini"));
    if (!settings.open(QIODevice::WriteOnly) || settings.write(SettingsText) < 0)
        return 1;
    settings.close();
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ProgramDirectory = QCoreApplication::applicationDirPath().toStdString() + "/";

    TQtDialogs dialogs;
    TfrmMain frmMain(dialogs, {}, [](QWidget* parent) {
        auto* browser = new TWebBrowser(parent);
        return TBrowserPane{browser, browser};
    });
    frmMain.show();
    // The online start page first, as at every start; then the local copy.
    WaitFor([&] {
        return !frmMain.StatusBar1->currentMessage().isEmpty() &&
               !frmMain.StatusBar1->currentMessage().startsWith("Opening");
    });
    bool ok = Open(frmMain, LocalPage(kLocalStartPageFile));
    ok = ok && Shoot(frmMain, folder.filePath("screenshot.png"));

    // The Senate view with every state.
    frmMain.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, 0);
    frmMain.cbSName->setCurrentIndex(0);
    ok = ok && Shoot(frmMain, folder.filePath("senate.png"));

    // My Officials from the contact details' ZIP code.
    frmMain.OutlookBar1->ClickItem(TfrmMain::UsGovernmentGroup, TfrmMain::MyOfficialsItem);
    ok = ok && Shoot(frmMain, folder.filePath("my-officials.png"));

    // The compose window as the review window hands it three officials, with
    // a letter that greets each by name: the text, then the first letter on
    // the Preview tab. The officials are made up, as the form's office below.
    TfrmAttach attach(&frmMain, dialogs);
    qv::TRecipientRecords officials;
    const struct {
        const char* Address;
        qv::TOfficialRecord Record;
    } recipients[] = {
        {"<senator.example@example.org>",
         {qv::TRecordKind::Senate, {"OH", "D", "Example, Jane", "senator.example@example.org", "none"}}},
        {"<senator.sample@example.org>",
         {qv::TRecordKind::Senate, {"OH", "R", "Sample, John", "senator.sample@example.org", "none"}}},
        {"<rep.placeholder@example.org>",
         {qv::TRecordKind::House,
          {"OH", "3", "D", "Placeholder, Pat", "rep.placeholder@example.org", "none"}}},
    };
    QStringList bcc;
    for (const auto& recipient : recipients) {
        officials.Add(recipient.Address, recipient.Record);
        bcc << recipient.Address;
    }
    TfrmSendMessage* compose =
        OpenComposeWindow(&frmMain, dialogs, attach, {}, {}, bcc.join(';'), nullptr, officials);
    compose->move(frmMain.pos() + QPoint(120, 30));
    compose->txtSubject->setText("Clean water for {State}");
    compose->Memo1->setPlainText(
        "Dear {Title} {LastName},\n\nI live in Columbus and write to ask for your support for "
        "clean water funding in the next budget. The Scioto River runs through our "
        "neighbourhood, and the tests of the last two summers are attached.\n\n"
        "Sincerely,\nJane Q. Citizen");
    compose->SetAttachments({"/home/jane/Documents/scioto-water-tests.pdf"});
    compose->txtBCC->setCursorPosition(0);  // the start of the field, as typed
    ok = ok && Shoot(*compose, folder.filePath("compose.png"));
    compose->PageControl1->setCurrentWidget(compose->memPreview);
    ok = ok && Shoot(*compose, folder.filePath("compose-preview.png"));
    compose->close();

    // The Web Forms window with those officials ticked, and a letter.
    frmMain.Button4->click();
    TfrmWebForms& forms = *frmMain.frmWebForms;
    forms.move(frmMain.pos() + QPoint(90, 40));
    forms.txtSubject->setText("Protect the Scioto River");
    forms.Memo1->setPlainText(
        "Dear Senator,\n\nI write to ask for your support for clean water funding in the "
        "next budget...");
    ok = ok && Shoot(forms, folder.filePath("web-forms.png"));
    forms.hide();

    // A form filled on a walk: the bar above the page, the fields the fill
    // took in green, the ones left to the user in red.
    const QString page = config.filePath("contact.htm");
    QFile form(page);
    if (!form.open(QIODevice::WriteOnly) || form.write(FormPage) < 0)
        return 1;
    form.close();
    const std::string address = QUrl::fromLocalFile(page).toString().toStdString();
    const TSettings contact = Settings;
    frmMain.pnlFormWalk->Walker().Start(
        {{"example/1", "Sen. Jane Example", address},
         {"example/2", "Sen. John Sample", address},
         {"example/3", "Rep. Pat Placeholder", address}},
        qv::webforms::BuildFillValues(
            contact, {"Protect the Scioto River",
                      "Dear Senator,\n\nI write to ask for your support for clean water "
                      "funding in the next budget."}));
    ok = ok && WaitFor([&] {
        return frmMain.pnlFormWalk->lblFill->text().startsWith("Filled");
    });
    ok = ok && Shoot(frmMain, folder.filePath("web-form-filled.png"));
    return ok ? 0 : 1;
}
