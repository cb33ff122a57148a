#pragma once

// The mail account the compose window sends with and the connection settings
// window edits: server, port, security and user name come from Settings, the
// password from the desktop's keyring. The password is never written to the
// settings file nor anywhere else; where no keyring service runs, the program
// says so once per run and asks for the password at each send.
//
// Everything here runs on the user-interface thread.

#include <QtGlobal>
#include <functional>
#include <optional>
#include <string>

#include "mail/smtp_client.h"

class IDialogs;
class QObject;
class QWidget;

// What a keyring read found.
struct TPasswordRead {
    enum class TStatus {
        Found,
        NotFound,     // the keyring works and holds no password for the key
        Unavailable,  // no keyring service, or it refused; Reason says why
    };
    TStatus Status = TStatus::NotFound;
    std::string Password{};  // when Found
    std::string Reason{};    // when Unavailable, in the keyring's own words
};

// Where the account's password is kept. Reads and writes are asynchronous,
// since a keyring may first ask the user to unlock it: `done` runs later from
// the event loop, on the user-interface thread, and not at all when `context`
// has been destroyed by then.
class IPasswordStore {
  public:
    using TReadDone = std::function<void(const TPasswordRead&)>;
    // nullopt when the password was kept (or forgotten); else the reason.
    using TWriteDone = std::function<void(const std::optional<std::string>& failure)>;

    virtual ~IPasswordStore() = default;
    virtual void Read(const std::string& key, QObject* context, TReadDone done) = 0;
    // Keeps password under key; an empty password forgets the key's entry.
    virtual void Write(const std::string& key, const std::string& password, QObject* context,
                       TWriteDone done) = 0;
};

// The desktop's keyring (Secret Service or KWallet, through QtKeychain), as
// service "Quorvane". It never falls back to a file of its own.
class TKeyringPasswordStore final : public IPasswordStore {
  public:
    void Read(const std::string& key, QObject* context, TReadDone done) override;
    void Write(const std::string& key, const std::string& password, QObject* context,
               TWriteDone done) override;
};

// The store the windows use: the keyring, unless SetMailPasswordStore put
// another in its place.
IPasswordStore& MailPasswordStore();

// Puts store (not owned; nullptr: the keyring again) in place and forgets
// that the user has been told that no keyring is available. For tests.
void SetMailPasswordStore(IPasswordStore* store);

// True the first time it is called in a run (after SetMailPasswordStore):
// whether to tell the user that no keyring is available.
bool FirstKeyringNotice();

// The keyring entry of the password for user on host. Each server has its
// own, so a password is never offered to a server it was not given for.
std::string MailPasswordKey(const std::string& user, const std::string& host);

// The account of the connection settings with password; no extra trusted
// certificates. An SMTP Security outside 0 to 3 counts as 0.
qv::TSmtpAccount SettingsMailAccount(const std::string& password);

// Finds the password for a send with the account of Settings: from the
// keyring or, where none is available, from the user (told once per run why
// they are asked). `done` gets the password (empty: send without logging in)
// or nullopt when the user cancelled the question; it runs from the event
// loop unless `parent` is destroyed first. `dialogs` must outlive the call.
void ObtainMailPassword(QWidget* parent, IDialogs& dialogs,
                        std::function<void(std::optional<std::string>)> done);

// The texts shown where no keyring is available: once per run as a warning,
// and under the password field of the connection settings.
extern const char* const kNoKeyringWarning;
extern const char* const kNoKeyringNote;
