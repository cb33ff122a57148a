// TSentStore: the record of sent messages, a SQLite database in the user's
// data folder. Every change is one transaction, so a crash in the middle of
// a change leaves the record as it was before it; a file that holds no sound
// database is set aside under a new name, never deleted, and a fresh record
// is started.
//
// Thread-safe: every call holds the store's lock for its whole run, so the
// sending thread can record each step while a window reads. No call waits on
// anything but the local file (and, for at most a few seconds, another
// program instance writing to the same file).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "sent/sent_message.h"

namespace qv::sent {

class TSqliteDb;

// $XDG_DATA_HOME/quorvane/sent.sqlite ($XDG_DATA_HOME when set to an
// absolute path, else $HOME/.local/share). The folder is not created here.
std::string DefaultStorePath();

// What a mail action records when it begins.
struct TMailStart {
    std::int64_t When = 0;  // seconds since 1970-01-01 UTC
    TMessageFields Fields;
    std::string Server;
    std::string Body;  // as it goes out
    // Each transaction's recipients, in sending order.
    std::vector<std::vector<TRecipient>> Transactions;
};

// What a web-form letter records when its walk begins.
struct TWebFormStart {
    std::int64_t When = 0;
    std::string From;  // the e-mail address the forms receive
    std::string Subject;
    std::string Text;
};

class TSentStore {
  public:
    // Opens the record at path, creating it and its folder (mode 0700) when
    // missing. A damaged file is moved to "PATH.damaged-YYYYMMDD-HHMMSS"
    // (with its journal files) and an empty record takes its place; see
    // SetAsidePath(). Raises ESentOpenError when no record can be opened.
    explicit TSentStore(std::string path);
    ~TSentStore();
    TSentStore(const TSentStore&) = delete;
    TSentStore& operator=(const TSentStore&) = delete;

    const std::string& Path() const { return path_; }

    // Where a damaged file found on opening was moved; empty when none was.
    const std::string& SetAsidePath() const { return setAside_; }

    // Writing. Each raises ESentWriteError and changes nothing on failure.

    // Records a mail action as Sending with all its transactions Pending;
    // returns its id.
    std::int64_t BeginMail(const TMailStart& start);
    // Transaction number (from 1) was accepted with reply.
    void TransactionSent(std::int64_t id, std::size_t number, std::string_view reply);
    // The action ended with every transaction sent.
    void MailSent(std::int64_t id);
    // The action failed at `at`; with Sending, transaction `number` is the
    // one that failed.
    void MailFailed(std::int64_t id, TFailedAt at, std::size_t number, std::string_view failure);
    // The user cancelled the action; note says how far it got.
    void MailCancelled(std::int64_t id, std::string_view note);

    std::int64_t BeginWebForms(const TWebFormStart& start);
    // Appends an official and what became of the form.
    void AddOfficial(std::int64_t id, const TFormOfficial& official);
    // The walk is over.
    void WebFormsEnded(std::int64_t id);

    // Reading. Each raises ESentReadError.

    // The actions whose subject, text, body or any recipient (address or
    // official) contains every blank-separated word of query, without regard
    // to the case of ASCII letters; all of them for an empty query. Newest
    // first; at most `limit` (0 for no limit).
    std::vector<TSentSummary> Search(std::string_view query, std::size_t limit = 0) const;

    // The whole action; raises ESentReadError when there is no such id.
    TSentMessage Read(std::int64_t id) const;

  private:
    void Open();
    void CreateSchema();
    void SetAsideDamaged();
    template <typename F>
    void Write(F&& change);

    std::string path_;
    std::string setAside_;
    mutable std::mutex lock_;
    std::unique_ptr<TSqliteDb> db_;
};

}  // namespace qv::sent
