#include "webforms/engine/browser_engine.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

// Sets an environment variable for one test and puts the old value back.
class TScopedEnvironment {
  public:
    TScopedEnvironment(const char* name, const QByteArray& value)
        : Name(name), Had(qEnvironmentVariableIsSet(name)), Old(qgetenv(name)) {
        qputenv(Name, value);
    }
    ~TScopedEnvironment() {
        if (Had)
            qputenv(Name, Old);
        else
            qunsetenv(Name);
    }

  private:
    const char* Name;
    bool Had;
    QByteArray Old;
};

TEST(BrowserEngineTest, MissingOrNonExecutableHelperIsReported) {
    QTemporaryDir folder;
    const QString helper = folder.filePath("QtWebEngineProcess");
    {
        TScopedEnvironment path("QTWEBENGINEPROCESS_PATH", helper.toLocal8Bit());
        EXPECT_FALSE(BrowserEngineAvailable());
        QFile file(helper);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        EXPECT_FALSE(BrowserEngineAvailable());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(BrowserEngineAvailable());
    }
    // Debian installs the helper with the engine.
    TScopedEnvironment path("QTWEBENGINEPROCESS_PATH", QByteArray());
    EXPECT_TRUE(BrowserEngineAvailable());
}

}  // namespace
