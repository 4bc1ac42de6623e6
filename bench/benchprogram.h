#pragma once
// What the end-to-end drivers share: the fake workspace's tokens in a throw-away keyring entry,
// a throw-away home with banners off (the runs measure the intake and the panel, not a
// notification server), and `halyard` started against the fake server. Header-only: each
// driver is a program of its own.
#include "halyard-sim/fakeslack.h"
#include "settings/keychainservice.h"
#include "settings/slacktokens.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <csignal>
#include <cstdio>

namespace halyard::bench {

using namespace Qt::Literals::StringLiterals;

class BenchProgram {
public:
    explicit BenchProgram(test::FakeSlack& fake)
        : m_fake(fake)
    {
        write(u"config/Halyard/preferences.json"_s, R"({"notifications.enabled": false})");
    }

    ~BenchProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGTERM);
            m_process.waitForFinished(10000);
        }
        (void)QCoro::waitFor(deleteSlackTokens(&m_keychain));
    }

    // Writes a file of the program's profile, relative to its home ("data/Halyard/queue.json").
    void write(const QString& relative, const QByteArray& bytes)
    {
        const QString path = m_home.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QString path(const QString& relative) const { return m_home.filePath(relative); }

    // False, with a line on standard error, without a Secret Service or when it does not start.
    bool start(const QString& binary, QStringList arguments, const char* script)
    {
        if (!QCoro::waitFor(storeSlackTokens(
                &m_keychain, { m_fake.workspace().botToken, m_fake.workspace().appToken }))) {
            std::fprintf(stderr, "No Secret Service: run through %s\n", script);
            return false;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HALYARD_SLACK_API_URL"_s, m_fake.apiUrl().toString());
        env.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        arguments << u"--keychain-service"_s << m_keychain.service();
        m_process.start(binary, arguments);
        return m_process.waitForStarted();
    }
    qint64 pid() const { return m_process.processId(); }

    // A field of /proc/<pid>/status in KiB ("VmRSS:", "VmHWM:"); -1 when unreadable.
    qint64 statusKiB(const char* key) const
    {
        QFile file(u"/proc/%1/status"_s.arg(pid()));
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith(key))
                return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }

private:
    test::FakeSlack& m_fake;
    KeychainService m_keychain { u"com.corvane.Halyard.bench-"_s
        + QUuid::createUuid().toString(QUuid::Id128) };
    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace halyard::bench
