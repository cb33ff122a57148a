// Real servers for the HTTP tests, each started on a free loopback port and
// stopped when the object goes away.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace qvtest {

inline std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// The build also passes the source folder in, for when the environment lacks it.
inline QString SourcePath(const std::string& relative) {
#ifdef QV_TEST_SOURCE_DIR
    const std::string fallback = QV_TEST_SOURCE_DIR;
#else
    const std::string fallback = ".";
#endif
    return QString::fromStdString(EnvOr("QV_SOURCE_DIR", fallback) + "/" + relative);
}

// A self-signed certificate for 127.0.0.1 made with openssl, with its key,
// for a test https server; a client trusts it only when told to.
class TestCertificate {
  public:
    TestCertificate() {
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1", "-keyout", KeyFile(), "-out", CertFile()});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            throw std::runtime_error("openssl made no test certificate: " +
                                     openssl.readAllStandardError().toStdString());
        }
    }
    QString CertFile() const { return dir_.filePath("cert.pem"); }
    QString KeyFile() const { return dir_.filePath("key.pem"); }

  private:
    QTemporaryDir dir_;
};

// Python's http.server with the special paths of http_test_server.py,
// serving the files of root; over https with a certificate.
class HttpTestServer {
  public:
    explicit HttpTestServer(const QString& root, const TestCertificate* tls = nullptr)
        : scheme_(tls != nullptr ? "https" : "http") {
        QStringList args{SourcePath("tests/update/http_test_server.py"), "--root", root};
        if (tls != nullptr) {
            args += {"--cert", tls->CertFile(), "--key", tls->KeyFile()};
        }
        process_.setProgram(QString::fromStdString(EnvOr("QV_PYTHON", "/usr/bin/python3")));
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        port_ = process_.readLine().trimmed().toInt();
        if (port_ <= 0) {
            throw std::runtime_error("the test HTTP server did not start");
        }
    }
    ~HttpTestServer() {
        process_.closeWriteChannel();  // the server exits when its input closes
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    int Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    std::string scheme_;
    QProcess process_;
    int port_ = 0;
};

inline int FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Debian's tinyproxy in the foreground with its own configuration and Basic
// authentication for user:password.
class TinyProxy {
  public:
    TinyProxy(const std::string& user, const std::string& password) : port_(FreeLoopbackPort()) {
        QFile config(dir_.filePath("tinyproxy.conf"));
        config.open(QIODevice::WriteOnly);
        config.write(
            QString("Port %1\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nMaxClients 20\n"
                    "LogLevel Error\nBasicAuth %2 %3\n")
                .arg(port_)
                .arg(QString::fromStdString(user), QString::fromStdString(password))
                .toUtf8());
        config.close();
        // timeout ends a proxy whose test died before it could stop it.
        process_.setProgram("timeout");
        process_.setArguments({"300", "tinyproxy", "-d", "-c", config.fileName()});
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        for (int i = 0; i < 100; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
            if (probe.waitForConnected(200)) {
                return;
            }
            QThread::msleep(50);
        }
        throw std::runtime_error("tinyproxy did not start: " + process_.readAll().toStdString());
    }
    ~TinyProxy() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    int Port() const { return port_; }

  private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_;
};

}  // namespace qvtest
