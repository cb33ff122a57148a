// qvtool fill-form: loads an official's web contact form in the browser
// engine, without showing it, fills it as the program does, and prints what
// the form then holds as one JSON object.
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "webforms/engine/browser_engine.h"
#include "webforms/engine/form_filler.h"
#include "webforms/fill_result.h"
#include "webforms/fill_values.h"

namespace qvtool {

namespace {

// The longest wait for the page; a page that is still loading after it has
// failed as far as the caller can tell.
constexpr int kLoadTimeoutSeconds = 60;

struct FillFormOptions {
    std::string url, settings, subject, bodyFile;
};

std::optional<FillFormOptions> ParseFillFormArgs(const Args& args) {
    FillFormOptions options;
    std::optional<std::string> url = ParseOperandAndOptions(
        args, {{"--settings", &options.settings},
               {"--subject", &options.subject},
               {"--body-file", &options.bodyFile}});
    if (!url) {
        return std::nullopt;
    }
    options.url = *url;
    return options;
}

// The contact details and addresses of a settings file, read as the
// program's settings store reads them, onto the built-in defaults. The file
// is only read.
TSettings ContactSettings(const IniFile& ini) {
    TSettings s;
    s.ReplyTo = ini.ReadString("Mail", "ReplyTo", s.ReplyTo);
    s.EmailUser = ini.ReadString("Mail", "email User", s.EmailUser);
    s.Name = ini.ReadString("Contact", "Name", s.Name);
    s.Street1 = ini.ReadString("Contact", "Street1", s.Street1);
    s.Street2 = ini.ReadString("Contact", "Street2", s.Street2);
    s.City = ini.ReadString("Contact", "City", s.City);
    s.State = ini.ReadString("Contact", "State", s.State);
    s.ZipCode = ini.ReadString("Contact", "ZipCode", s.ZipCode);
    s.UHomeP = ini.ReadString("Contact", "UHomeP", s.UHomeP);
    s.UWorkP = ini.ReadString("Contact", "UWorkP", s.UWorkP);
    return s;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "qvtool fill-form: %s\n", message.c_str());
    return 1;
}

}  // namespace

int RunFillForm(const Args& args) {
    std::optional<FillFormOptions> options = ParseFillFormArgs(args);
    if (!options) {
        std::fputs(
            "usage: qvtool fill-form URL [--settings FILE] [--subject TEXT] [--body-file FILE]\n",
            stderr);
        return 2;
    }

    const bool ownSettings = options->settings.empty();
    const std::string settingsPath = ownSettings ? SettingsFilePath() : options->settings;
    const std::optional<std::string> settingsText = ReadWholeFile(settingsPath);
    if (!settingsText && !ownSettings) {
        return Fail("cannot read the settings file " + settingsPath);
    }
    if (!settingsText) {
        std::fprintf(stderr, "qvtool fill-form: no settings file at %s; no contact details\n",
                     settingsPath.c_str());
    }
    qv::webforms::TLetter letter;
    letter.Subject = options->subject;
    if (!options->bodyFile.empty()) {
        const std::optional<std::string> body = ReadWholeFile(options->bodyFile);
        if (!body) {
            return Fail("cannot read " + options->bodyFile);
        }
        letter.Text = *body;
    }
    const qv::webforms::TFillValues values = qv::webforms::BuildFillValues(
        ContactSettings(IniFile::FromText(settingsText.value_or(""))), letter);

    // Nothing is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The engine's start-up report is noise here; its warnings still show,
    // and QT_LOGGING_RULES still decides.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    PrepareBrowserEngine();
    int argc = 1;
    char name[] = "qvtool";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    if (!BrowserEngineAvailable()) {
        return Fail("the browser engine's helper program QtWebEngineProcess is not installed");
    }

    const QUrl url = QUrl::fromUserInput(QString::fromStdString(options->url));
    QWebEngineProfile profile;  // off the record: nothing of the visit stays on disk
    QWebEnginePage page(&profile);
    qv::webforms::TFormFiller filler(page);
    filler.SetValues(values);
    filler.SetActive(true);

    // The first fill is the answer; a page that goes on to load another
    // (a redirect by script) would otherwise be filled again.
    QObject::connect(&filler, &qv::webforms::TFormFiller::Filled,
                     [&](const qv::webforms::TFillResult& result) {
                         filler.SetActive(false);
                         std::cout << qv::webforms::FillResultJson(result) << '\n';
                         std::cout.flush();
                         QCoreApplication::exit(std::cout ? 0 : Fail("cannot write standard output"));
                     });
    QObject::connect(&filler, &qv::webforms::TFormFiller::FillFailed, [&](const QString& reason) {
        QCoreApplication::exit(Fail(reason.toStdString()));
    });
    QObject::connect(&filler, &qv::webforms::TFormFiller::LoadFailed,
                     [&](const QUrl& failed, const QString& reason) {
                         QCoreApplication::exit(Fail("cannot load " + failed.toString().toStdString() +
                                                     ": " + reason.toStdString()));
                     });
    QTimer::singleShot(kLoadTimeoutSeconds * 1000, [&] {
        QCoreApplication::exit(Fail("the page did not finish loading within " +
                                    std::to_string(kLoadTimeoutSeconds) + " seconds"));
    });
    page.load(url);
    return QGuiApplication::exec();
}

}  // namespace qvtool
