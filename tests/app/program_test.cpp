// Starts the real program with the shipped lists, as a user would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

TEST(ProgramTest, StartsWithTheShippedListsAndKeepsRunning) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    // An existing settings file: not a first run, so the program sends no
    // first-run request off this machine.
    ASSERT_TRUE(QDir(config.path()).mkpath("quorvane"));
    QFile settings(config.filePath("quorvane/quorvane.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Main]\r\nStatus=0\r\n");
    settings.close();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", config.path());
    program.setProcessEnvironment(environment);
    program.start(QUORVANE_PATH, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Still up after its first activation has read every list.
    EXPECT_FALSE(program.waitForFinished(3000)) << program.readAllStandardError().constData();
    program.kill();
    program.waitForFinished(5000);
}

}  // namespace
