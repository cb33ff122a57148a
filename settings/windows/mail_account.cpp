#include "settings/windows/mail_account.h"

#include <qt6keychain/keychain.h>
#include <QPointer>
#include <QString>

#include "controls/dialogs.h"
#include "settings/settings.h"
#include "settings/windows/password_window.h"

const char* const kNoKeyringWarning =
    "No keyring service is running, so Quorvane cannot keep your mail password. It will ask "
    "for the password each time you send a message.";
const char* const kNoKeyringNote =
    "No keyring service is running: the password is not kept, and Quorvane asks for it at "
    "each send.";

namespace {

const QString kKeyringService = "Quorvane";

TKeyringPasswordStore& Keyring() {
    static TKeyringPasswordStore keyring;
    return keyring;
}

// The store in use and whether the user has been told that no keyring is
// available: one keyring and one notice per run.
IPasswordStore* gStore = nullptr;
bool gNoticeGiven = false;

std::string ReasonOf(const QKeychain::Job& job) {
    const QString reason = job.errorString();
    return reason.isEmpty() ? std::string("unknown failure") : reason.toStdString();
}

}  // namespace

void TKeyringPasswordStore::Read(const std::string& key, QObject* context, TReadDone done) {
    auto* job = new QKeychain::ReadPasswordJob(kKeyringService);
    job->setKey(QString::fromStdString(key));
    // A file of its own would hold the password in a form anyone can read.
    job->setInsecureFallback(false);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [done = std::move(done)](QKeychain::Job* finished) {
                         auto* read = static_cast<QKeychain::ReadPasswordJob*>(finished);
                         TPasswordRead result;
                         switch (read->error()) {
                             case QKeychain::NoError:
                                 result.Status = TPasswordRead::TStatus::Found;
                                 result.Password = read->textData().toStdString();
                                 break;
                             case QKeychain::EntryNotFound:
                                 result.Status = TPasswordRead::TStatus::NotFound;
                                 break;
                             default:
                                 result.Status = TPasswordRead::TStatus::Unavailable;
                                 result.Reason = ReasonOf(*read);
                                 break;
                         }
                         done(result);
                     });
    job->start();
}

void TKeyringPasswordStore::Write(const std::string& key, const std::string& password,
                                  QObject* context, TWriteDone done) {
    QKeychain::Job* job;
    if (password.empty()) {
        job = new QKeychain::DeletePasswordJob(kKeyringService);
    } else {
        auto* write = new QKeychain::WritePasswordJob(kKeyringService);
        write->setTextData(QString::fromStdString(password));
        job = write;
    }
    job->setKey(QString::fromStdString(key));
    job->setInsecureFallback(false);
    QObject::connect(
        job, &QKeychain::Job::finished, context,
        [done = std::move(done), forget = password.empty()](QKeychain::Job* finished) {
            const QKeychain::Error error = finished->error();
            // Forgetting what was never kept is no failure.
            if (error == QKeychain::NoError || (forget && error == QKeychain::EntryNotFound)) {
                done(std::nullopt);
            } else {
                done(ReasonOf(*finished));
            }
        });
    job->start();
}

IPasswordStore& MailPasswordStore() {
    return gStore != nullptr ? *gStore : Keyring();
}

void SetMailPasswordStore(IPasswordStore* store) {
    gStore = store;
    gNoticeGiven = false;
}

bool FirstKeyringNotice() {
    const bool first = !gNoticeGiven;
    gNoticeGiven = true;
    return first;
}

std::string MailPasswordKey(const std::string& user, const std::string& host) {
    return "smtp://" + user + "@" + host;
}

qv::TSmtpAccount SettingsMailAccount(const std::string& password) {
    return {.Host = Settings.SMTPServer,
            .Port = Settings.SMTPPort,
            .Security =
                qv::SmtpSecurityFromInt(Settings.SMTPSecurity).value_or(qv::TSmtpSecurity::None),
            .User = Settings.EmailUser,
            .Password = password,
            .CaFile = {}};
}

void ObtainMailPassword(QWidget* parent, IDialogs& dialogs,
                        std::function<void(std::optional<std::string>)> done) {
    const std::string user = Settings.EmailUser;
    const std::string host = Settings.SMTPServer;
    MailPasswordStore().Read(
        MailPasswordKey(user, host), parent,
        [parent, &dialogs, user, host, done = std::move(done)](const TPasswordRead& read) {
            if (read.Status == TPasswordRead::TStatus::Found) {
                done(read.Password);
                return;
            }
            if (read.Status == TPasswordRead::TStatus::NotFound) {
                done(std::string());
                return;
            }
            if (FirstKeyringNotice()) {
                dialogs.Warning(parent,
                                QString("%1\n\nThe keyring reported: %2")
                                    .arg(kNoKeyringWarning, QString::fromStdString(read.Reason)));
            }
            TfrmMailPassword ask(parent, QString::fromStdString(user),
                                 QString::fromStdString(host));
            if (dialogs.ShowModal(ask) != QDialog::Accepted) {
                done(std::nullopt);
                return;
            }
            done(ask.Password().toStdString());
        });
}
