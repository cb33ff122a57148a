#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/windows/mail_account.h"

// A keyring in memory that answers from the event loop, as the real one
// does. Put in place for the life of the object: the windows' password reads
// and writes reach it instead of the desktop's keyring.
class TFakePasswordStore : public IPasswordStore {
  public:
    TFakePasswordStore() { SetMailPasswordStore(this); }
    ~TFakePasswordStore() override { SetMailPasswordStore(nullptr); }
    TFakePasswordStore(const TFakePasswordStore&) = delete;
    TFakePasswordStore& operator=(const TFakePasswordStore&) = delete;

    void Read(const std::string& key, QObject* context, TReadDone done) override {
        TPasswordRead read;
        if (!Available) {
            read.Status = TPasswordRead::TStatus::Unavailable;
            read.Reason = "The name org.freedesktop.secrets was not provided by any .service files";
        } else if (auto entry = Entries.find(key); entry != Entries.end()) {
            read.Status = TPasswordRead::TStatus::Found;
            read.Password = entry->second;
        }
        ++Reads;
        Later(context, [done, read] { done(read); });
    }

    void Write(const std::string& key, const std::string& password, QObject* context,
               TWriteDone done) override {
        std::optional<std::string> failure;
        if (WriteFailure) {
            failure = *WriteFailure;
        } else if (password.empty()) {
            Entries.erase(key);
        } else {
            Entries[key] = password;
        }
        Writes.push_back(key);
        Later(context, [done, failure] { done(failure); });
    }

    bool Available = true;
    std::optional<std::string> WriteFailure;  // refuses every write with it
    std::map<std::string, std::string> Entries;
    int Reads = 0;
    std::vector<std::string> Writes;  // keys written or forgotten, in order

  private:
    template <class F>
    static void Later(QObject* context, F call) {
        QTimer::singleShot(0, context, call);
    }
};
