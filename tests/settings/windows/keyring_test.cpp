// The password store on the real keyring library. CTest runs the Keyring
// suite on a private session bus with a Secret Service (run_with_keyring.sh)
// and the NoKeyring suite with no bus at all, as on a machine without a
// desktop.
#include <gtest/gtest.h>

#include <QObject>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/windows/mail_account.h"

namespace {

TPasswordRead ReadNow(IPasswordStore& store, const std::string& key) {
    QObject context;
    std::optional<TPasswordRead> read;
    store.Read(key, &context, [&](const TPasswordRead& result) { read = result; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return read.has_value(); }, 30000));
    return read.value_or(TPasswordRead{});
}

// nullopt when the write succeeded, else the keyring's reason.
std::optional<std::string> WriteNow(IPasswordStore& store, const std::string& key,
                                    const std::string& password) {
    QObject context;
    bool done = false;
    std::optional<std::string> failure;
    store.Write(key, password, &context, [&](const std::optional<std::string>& result) {
        failure = result;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 30000));
    return failure;
}

using TStatus = TPasswordRead::TStatus;

TEST(Keyring, KeepsReplacesAndForgetsPasswordsPerAccount) {
    TKeyringPasswordStore keyring;
    const std::string jane = MailPasswordKey("jane", "smtp.example.org");
    const std::string other = MailPasswordKey("jane", "mail.example.net");
    const struct {
        const char* Step;
        std::string Key;
        std::optional<std::string> Write;  // nullopt: only read
        TStatus Status;
        std::string Password;
    } steps[] = {
        {"nothing kept yet", jane, std::nullopt, TStatus::NotFound, ""},
        {"kept", jane, "s3cret", TStatus::Found, "s3cret"},
        {"each server has its own entry", other, std::nullopt, TStatus::NotFound, ""},
        {"replaced, any characters", jane, "p\xC3\xA4ss w=rd;#\"", TStatus::Found,
         "p\xC3\xA4ss w=rd;#\""},
        {"forgotten", jane, "", TStatus::NotFound, ""},
        {"forgetting what is not kept", other, "", TStatus::NotFound, ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        if (step.Write) {
            EXPECT_EQ(WriteNow(keyring, step.Key, *step.Write), std::nullopt);
        }
        const TPasswordRead read = ReadNow(keyring, step.Key);
        EXPECT_EQ(read.Status, step.Status) << read.Reason;
        EXPECT_EQ(read.Password, step.Password);
    }
}

TEST(NoKeyring, ReadsAndWritesFailWithAReasonAndNothingIsWrittenElsewhere) {
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    TKeyringPasswordStore keyring;
    const std::string key = MailPasswordKey("jane", "smtp.example.org");

    const TPasswordRead read = ReadNow(keyring, key);
    EXPECT_EQ(read.Status, TStatus::Unavailable);
    EXPECT_FALSE(read.Reason.empty());
    const std::optional<std::string> failure = WriteNow(keyring, key, "s3cret");
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->empty());
    // No file of the library's own stands in for the keyring.
    EXPECT_TRUE(std::filesystem::is_empty(home));
}

}  // namespace
