// An installation and its update servers for the updater's tests: a program
// folder holding small list files, and folders for the update server's and
// the mirror's list directories, whose archives are made and signed with
// qvtool pack by a key of the site's own (qvtool keygen).
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "support/list_files.h"
#include "support/qvtool_process.h"
#include "update/dates_file.h"
#include "update/list_signature.h"

namespace qvtest {

// The local dates of a fresh settings record, as a dates file.
inline const char* const kSameDates =
    "5/1/1999\r\n9/20/1999\r\n8/29/1999\r\n6/1/1999\r\n7/17/2000\r\n";

// Newer lists than list_files' ones: a third senator, a second leader.
inline const char* const kNewSenate =
    "5 3\r\nAL,R,\"Doe, Jane\",jane@senate.example,http://doe.example/\r\n"
    "AK,D,Roe,none,none\r\nAZ,I,Poe,none,none\r\n";
inline const char* const kNewLeaders =
    "6 2\r\n1,France,President,Someone,none,none\r\n2,Chile,President,Other,none,none\r\n";

inline void Qvtool(const QStringList& args) {
    const ToolRun run = RunTool(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
}

class UpdateSite {
  public:
    UpdateSite() {
        qv::ServerDate.fill(qv::kNoServerDate);
        list_files::WriteAll(Program.path());
        Qvtool({"keygen", SecretFile(), PublicFile()});
        Qvtool({"keygen", Keys.filePath("other.secret"), Keys.filePath("other.public")});
    }

    QString SecretFile() const { return Keys.filePath("site.secret"); }
    QString PublicFile() const { return Keys.filePath("site.public"); }
    // The key of a publisher the program does not trust.
    QString OtherSecretFile() const { return Keys.filePath("other.secret"); }
    std::vector<qv::TPublicKey> TrustedKeys() const {
        return {*qv::ParsePublicKey(ReadFile(PublicFile()))};
    }

    // The program folder, ending in "/".
    std::string ProgramDir() const { return Program.path().toStdString() + "/"; }
    std::string ProgramFile(const char* name) const { return ReadFile(Program.filePath(name)); }
    QStringList ProgramFiles() const { return QDir(Program.path()).entryList(QDir::Files); }

    // Writes `content` as the entry `entry` of the archive `archive` in
    // `folder`, packed and signed by qvtool with `method`.
    void Publish(const QTemporaryDir& folder, const std::string& archive,
                 const std::string& content, const QString& entry = "temp2.dat",
                 const QString& method = "LH5") {
        QTemporaryDir scratch;
        WriteFile(scratch.filePath(entry), content);
        Qvtool({"pack", "--method", method, "--sign", SecretFile(),
                folder.filePath(QString::fromStdString(archive)), scratch.filePath(entry)});
    }

    // Puts `bytes` as the archive `archive` in `folder`, signed by the site.
    void PublishBytes(const QTemporaryDir& folder, const std::string& archive,
                      const std::string& bytes) {
        const QString path = folder.filePath(QString::fromStdString(archive));
        WriteFile(path, bytes);
        const qv::TSignature sig =
            qv::SignArchive(archive, bytes, *qv::ParseSecretKey(ReadFile(SecretFile())));
        WriteFile(path + ".sig", std::string(sig.begin(), sig.end()));
    }

    void PublishDates(const QTemporaryDir& folder, const std::string& text) {
        WriteFile(folder.filePath("qndates2.dat"), text);
    }

    QTemporaryDir Keys;
    QTemporaryDir Program;
    QTemporaryDir Server;
    QTemporaryDir Mirror;
};

}  // namespace qvtest
