// Runs qvtool from a test through QProcess, and reads and writes the files
// around it. Test programs built with qvtool_test() know its path as
// QVTOOL_PATH.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

namespace qvtest {

inline std::string ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

inline void WriteFile(const QString& path, const std::string& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(data.data(), static_cast<qint64>(data.size()));
}

struct ToolRun {
    int exitCode;  // -1 when qvtool crashed or did not end in time
    std::string out, err;
};

// Runs qvtool with `args` and `env` to its end, its input closed.
inline ToolRun RunTool(const QStringList& args,
                       const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(QVTOOL_PATH, args);
    tool.closeWriteChannel();
    tool.waitForFinished(90000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            tool.readAllStandardOutput().toStdString(), tool.readAllStandardError().toStdString()};
}

}  // namespace qvtest
