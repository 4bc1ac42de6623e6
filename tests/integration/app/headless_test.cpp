#include "common/fakekeychain.h"
#include "common/privatebus.h"
#include "halyard-sim/fakeslack.h"
#include "service/appcore.h"
#include "service/profile.h"
#include "settings/keychainservice.h"
#include "settings/settingsstore.h"
#include "settings/slacktokens.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusVirtualObject>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;
using halyard::test::FakeSlack;

namespace {

// The whole program as a user runs it, `halyard --headless`, against the fake Slack server:
// only the wire, the queue file and the log lines are looked at.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_fake.listen());
        m_fake.setHelloOnConnect(true);
        m_fake.workspace().addChannel({ u"C1"_s, u"alerts"_s });
        const auto stored = QCoro::waitFor(storeSlackTokens(
            &m_keychain, SlackTokens { m_fake.workspace().botToken, m_fake.workspace().appToken }));
        ASSERT_TRUE(stored.has_value()) << stored.error().description().toStdString();
    }
    void TearDown() override
    {
        stop();
        (void)QCoro::waitFor(deleteSlackTokens(&m_keychain));
    }

    // Without debugLogging the program's own default levels apply; sessionBus replaces the
    // test's session bus.
    void start(bool debugLogging = true, const QString& sessionBus = QString())
    {
        m_process = std::make_unique<QProcess>();
        QObject::connect(m_process.get(), &QProcess::readyReadStandardError, m_process.get(),
            [this] { m_log += QString::fromUtf8(m_process->readAllStandardError()); });
        launch(*m_process, debugLogging, sessionBus);
        ASSERT_TRUE(m_process->waitForStarted());
    }
    void launch(QProcess& process, bool debugLogging = true, const QString& sessionBus = {},
        const QProcessEnvironment& extra = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(extra);
        env.insert(u"HALYARD_SLACK_API_URL"_s, m_fake.apiUrl().toString());
        env.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        env.insert(u"QT_FORCE_STDERR_LOGGING"_s, u"1"_s);
        env.insert(u"QT_MESSAGE_PATTERN"_s, u"%{category}: %{message}"_s);
        env.remove(u"QT_LOGGING_RULES"_s);
        env.remove(u"HALYARD_LOG_PRIVATE"_s);
        if (debugLogging)
            env.insert(u"QT_LOGGING_RULES"_s, u"com.corvane.Halyard.*=true"_s);
        if (!sessionBus.isEmpty())
            env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, sessionBus);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(HALYARD_BINARY),
            { u"--headless"_s, u"--keychain-service"_s, m_keychain.service() });
    }
    bool running() const { return m_process && m_process->state() == QProcess::Running; }

    // Ends the program the way a service manager does; it must exit cleanly.
    void stop()
    {
        if (!m_process || m_process->state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process->processId()), SIGTERM);
        EXPECT_TRUE(waitFor([&] { return !running(); }));
        EXPECT_EQ(m_process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_process->exitCode(), 0) << m_log.toStdString();
        m_process.reset();
    }
    bool logged(const QString& line) const { return m_log.contains(line); }
    bool waitForLog(const QString& line, int ms = 10000)
    {
        return waitFor([&] { return logged(line); }, ms);
    }
    bool waitConnected()
    {
        return waitForLog(u"com.corvane.Halyard.slack: Connection established"_s);
    }
    QByteArray queueBytes() const
    {
        QFile file(m_home.filePath(u"data/Halyard/queue.json"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonArray queued() const
    {
        return QJsonDocument::fromJson(queueBytes())[u"alerts"_s].toArray();
    }
    QStringList queuedIds() const
    {
        QStringList ids;
        for (const QJsonValue& alert : queued())
            ids.append(alert[u"id"_s].toString());
        return ids;
    }
    static bool waitFor(const std::function<bool()>& condition, int ms = 10000)
    {
        return QTest::qWaitFor(condition, ms);
    }
    // One command of the program, as a script runs it: status, standard output, standard error.
    static std::tuple<int, QString, QString> command(
        const QStringList& arguments, const QString& input = {})
    {
        QProcess process;
        process.start(QStringLiteral(HALYARD_BINARY), arguments);
        process.write(input.toUtf8());
        process.closeWriteChannel();
        waitFor([&] { return process.state() == QProcess::NotRunning; }, 30000);
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }
    QJsonObject botMessage(const QString& text, const QString& ts) const
    {
        return { { u"bot_id"_s, u"B0ALERTS"_s }, { u"username"_s, u"alertmanager"_s },
            { u"text"_s, text }, { u"ts"_s, ts } };
    }
    QTemporaryDir m_home;
    FakeSlack m_fake;
    KeychainService m_keychain { u"com.corvane.Halyard.test-"_s
        + QUuid::createUuid().toString(QUuid::Id128) };
    std::unique_ptr<QProcess> m_process;
    QString m_log;
};

} // namespace

TEST_F(HeadlessTest, OneMessageTravelsFromTheSocketToTheQueueFile)
{
    QDir().mkpath(m_home.filePath(u"config/Halyard"_s));
    QFile preferences(m_home.filePath(u"config/Halyard/preferences.json"_s));
    ASSERT_TRUE(preferences.open(QIODevice::WriteOnly));
    preferences.write(R"({"filter.triggerPrefix": "halyard:"})");
    preferences.close();
    start();
    ASSERT_TRUE(waitConnected()) << m_log.toStdString();
    const QString id = u"C1:"_s
        + m_fake.postMessage(u"C1"_s, botMessage(u"Disk full on db-1"_s, u"1700000000.000100"_s));
    ASSERT_TRUE(waitFor([&] { return queuedIds().contains(id); })) << m_log.toStdString();

    // A second copy on the same data folder exits and touches nothing.
    const QByteArray queue = queueBytes();
    QProcess second;
    launch(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 4) << "its own status, which the unit does not restart on";
    EXPECT_EQ(second.readAllStandardError(),
        "Halyard is already running (process " + QByteArray::number(m_process->processId())
            + "); not starting a second copy.\n");
    EXPECT_EQ(m_fake.socketConnectionCount(), 1);
    EXPECT_EQ(queueBytes(), queue);
    EXPECT_TRUE(running());

    // A person's message with the trigger prefix from the preferences file, in any case, is
    // taken in.
    m_fake.postMessage(u"C1"_s,
        { { u"user"_s, u"U1"_s }, { u"text"_s, u"HALYARD:  page me now "_s },
            { u"ts"_s, u"1700000002.000100"_s } });
    ASSERT_TRUE(waitFor([&] { return queuedIds().size() == 2; }));
    EXPECT_EQ(queued()[1][u"text"_s], u"page me now"_s);
    EXPECT_FALSE(m_log.contains(m_fake.workspace().botToken));
    EXPECT_FALSE(m_log.contains(u"Disk full"_s)) << "message text is private in the log";
}

TEST_F(HeadlessTest, AfterARestartMissedMessagesAreFetchedAndAcknowledgedOnesCleared)
{
    start();
    ASSERT_TRUE(waitConnected());
    const QString first
        = m_fake.postMessage(u"C1"_s, botMessage(u"first"_s, u"1700000000.000100"_s));
    ASSERT_TRUE(waitFor([&] { return queuedIds().size() == 1; }));
    stop();

    // While the program was away: 150 new messages (more than one history page), one of them
    // already acknowledged, and the queued one acknowledged in Slack.
    for (int i = 1; i <= 150; ++i) {
        const QString ts = QString::number(1700000000 + i) + u".000100"_s;
        m_fake.workspace().addMessage(u"C1"_s, botMessage(u"missed "_s + QString::number(i), ts));
        if (i == 7)
            m_fake.workspace().addReaction(u"C1"_s, ts, u"white_check_mark"_s, u"U2"_s);
    }
    m_fake.workspace().addReaction(u"C1"_s, first, u"white_check_mark"_s, u"U2"_s);

    // This time with the program's default log levels: info lines only.
    m_log.clear();
    start(false);
    ASSERT_TRUE(waitForLog(
        u"com.corvane.Halyard.slack: Backfill complete: raw=150 enqueued=149 skippedByReaction=1 channelFailures=0"_s,
        20000))
        << m_log.toStdString();
    ASSERT_TRUE(waitForLog(
        u"com.corvane.Halyard.slack: Reaction reconcile complete: checked=1 removed=1 failures=0"_s));
    // The file is written off the event loop: wait for the last state to land.
    EXPECT_TRUE(waitFor([&] { return queuedIds().size() == 149; }));
    const QStringList ids = queuedIds();
    EXPECT_FALSE(ids.contains(u"C1:"_s + first));
    EXPECT_FALSE(ids.contains(u"C1:1700000007.000100"_s));
    EXPECT_EQ(m_fake.requests(u"conversations.history"_s).first().param(u"oldest"_s), first);
    EXPECT_FALSE(m_log.contains(u"com.corvane.Halyard.alerts: Enqueued: "_s)) << "a debug line";
}

// "halyard tokens" reaches the running copy that uses its store: gone tokens disconnect it, new
// ones connect it, without a restart.
TEST_F(HeadlessTest, TokensCommandsReachTheRunningCopyAtOnce)
{
    start();
    ASSERT_TRUE(waitConnected()) << m_log.toStdString();
    const auto tokens = [&](const QString& word, const QString& service, const QString& input) {
        return std::get<1>(command({ u"tokens"_s, word, u"--keychain-service"_s, service }, input));
    };
    const QString pickedUp = u"The running Halyard picked up the change.\n"_s;
    EXPECT_TRUE(
        tokens(u"clear"_s, m_keychain.service() + u".other"_s, {})
            .endsWith(u"No running Halyard uses these tokens; they apply when it starts.\n"_s));
    EXPECT_TRUE(tokens(u"clear"_s, m_keychain.service(), {}).endsWith(pickedUp));
    ASSERT_TRUE(waitFor([&] { return !m_fake.isSocketConnected(); })) << m_log.toStdString();
    const QString input = m_fake.workspace().botToken + u'\n' + m_fake.workspace().appToken;
    EXPECT_TRUE(tokens(u"set"_s, m_keychain.service(), input).endsWith(pickedUp));
    EXPECT_TRUE(waitFor([&] { return m_fake.socketConnectionCount() == 2; }))
        << m_log.toStdString();
}

// Under a service manager: the tokens come from its credentials folder (the credential store holds
// none), it hears READY=1 and the state, and every log line carries its journal priority.
TEST_F(HeadlessTest, UnderAServiceManagerCredentialsAreUsedAndTheStateReported)
{
    ASSERT_TRUE(QCoro::waitFor(deleteSlackTokens(&m_keychain)).has_value());
    const QString credentials = m_home.filePath(u"credentials"_s);
    QDir().mkpath(credentials);
    for (const auto& [name, token] : { std::pair { "slack-bot-token", m_fake.workspace().botToken },
             std::pair { "slack-app-token", m_fake.workspace().appToken } }) {
        QFile file(credentials + u'/' + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(token.toUtf8() + '\n') > 0);
    }
    const QByteArray notifyPath = m_home.filePath(u"notify"_s).toUtf8();
    const int notify = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::copy(notifyPath.begin(), notifyPath.end(), address.sun_path);
    ASSERT_EQ(::bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QString logPath = m_home.filePath(u"journal"_s);
    QFile(logPath).open(QIODevice::WriteOnly);
    struct stat log { };
    ASSERT_EQ(::stat(QFile::encodeName(logPath).constData(), &log), 0);

    QProcessEnvironment extra;
    extra.insert(u"CREDENTIALS_DIRECTORY"_s, credentials);
    extra.insert(u"NOTIFY_SOCKET"_s, QString::fromUtf8(notifyPath));
    extra.insert(u"JOURNAL_STREAM"_s, u"%1:%2"_s.arg(log.st_dev).arg(log.st_ino));
    m_process = std::make_unique<QProcess>();
    m_process->setStandardErrorFile(logPath);
    launch(*m_process, false, {}, extra);
    QStringList states;
    const QString connected = u"STATUS=Connected to Fake Team · 0 alerts, 0 overdue"_s;
    EXPECT_TRUE(waitFor([&] {
        char datagram[512];
        for (ssize_t n; (n = ::recv(notify, datagram, sizeof datagram, MSG_DONTWAIT)) > 0;)
            states.append(QString::fromUtf8(datagram, n));
        return states.contains(connected);
    })) << states.join(u'|').toStdString();
    ::close(notify);
    EXPECT_EQ(states.value(0), u"READY=1"_s);
    stop();
    QFile file(logPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString journal = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(journal.contains(u"<6>com.corvane.Halyard.slack: Connection established\n"_s))
        << journal.toStdString();
    EXPECT_FALSE(journal.contains(m_fake.workspace().botToken)
        || journal.contains(m_fake.workspace().appToken));
}

// A credential store that fails to read until its third round, as a Secret Service does until
// the user's keyring unlocks: the program keeps trying, and connects once it answers.
TEST_F(HeadlessTest, AFailedTokenReadIsTriedAgainUntilTheStoreAnswers)
{
    struct LockedAtFirst : test::FakeKeychain {
        QCoro::Task<std::expected<std::optional<QString>, KeychainError>> get(
            QString account) override
        {
            failingReads
                = account == kBotTokenAccount && ++rounds < 3 ? QSet { account } : QSet<QString>();
            return FakeKeychain::get(account);
        }
        int rounds = 0;
    };
    auto keychain = std::make_unique<LockedAtFirst>();
    keychain->items.insert(kBotTokenAccount.toString(), m_fake.workspace().botToken);
    keychain->items.insert(kAppTokenAccount.toString(), m_fake.workspace().appToken);
    const LockedAtFirst& store = *keychain;
    AppCore core(std::move(keychain),
        Profile { m_home.filePath(u"data"_s), m_home.filePath(u"config"_s), m_fake.apiUrl() },
        false);
    core.setTokenReadRetry(std::chrono::milliseconds(5), std::chrono::milliseconds(20));
    core.launch();
    ASSERT_TRUE(waitFor(
        [&] { return core.settingsStore().connectionState() == ConnectionState::connected(); }));
    EXPECT_EQ(store.rounds, 3);
}

// A Secret Service that takes every call and never answers, as a keyring does while it waits
// for the user to unlock it.
class SilentSecretService : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override
    {
        ++received;
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::atomic<int> received = 0;
};

TEST_F(HeadlessTest, TerminationWhileTheTokensAreReadEndsTheProgramAtOnce)
{
    test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << bus.error().toStdString();
    SilentSecretService secrets;
    QDBusConnection connection = bus.connect();
    ASSERT_TRUE(connection.registerVirtualObject(u"/"_s, &secrets, QDBusConnection::SubPath));
    ASSERT_TRUE(connection.registerService(u"org.freedesktop.secrets"_s));
    start(true, bus.address());
    ASSERT_TRUE(waitFor([&] { return secrets.received > 0; })) << m_log.toStdString();
    ::kill(pid_t(m_process->processId()), SIGTERM);
    // The keyring's call would time out only after 25 s; the program must not wait for it.
    ASSERT_TRUE(waitFor([&] { return !running(); }));
    EXPECT_EQ(m_process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process->exitCode(), 0);
    // The unanswered read is an error, never "no tokens".
    EXPECT_FALSE(logged(u"No tokens stored"_s)) << m_log.toStdString();
}

// Scripts and the commands reach the queue on the bus: a list, the panel's Ack (ack-back
// included), one change signal per change, however many alerts it clears; none running: 3.
TEST_F(HeadlessTest, TheQueueOnTheBusListsAndAcknowledgesLikeThePanel)
{
    start();
    ASSERT_TRUE(waitConnected());
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusInterface properties(u"com.corvane.Halyard"_s, u"/com/corvane/Halyard"_s,
        u"org.freedesktop.DBus.Properties"_s, bus);
    QSignalSpy propertiesChanged(
        &properties, SIGNAL(PropertiesChanged(QString, QVariantMap, QStringList)));
    QStringList ids;
    for (const char* ts : { "1700000000.000100", "1700000001.000100", "1700000002.000100" })
        ids.append(u"C1:"_s
            + m_fake.postMessage(u"C1"_s,
                botMessage(
                    u"<https://grafana.example/d/1|Disk> &gt; 90%"_s, QString::fromLatin1(ts))));
    ASSERT_TRUE(bus.interface()->isServiceRegistered(u"com.corvane.Halyard"_s));
    QDBusInterface queue(
        u"com.corvane.Halyard"_s, u"/com/corvane/Halyard"_s, u"com.corvane.Halyard.Queue"_s, bus);
    // The property is read at once; the bus is told with the store's next announcement, whose
    // Changed follows its PropertiesChanged and comes before the reply to any later call.
    ASSERT_TRUE(waitFor([&] { return queue.property("Count").toInt() == 3; }));
    ASSERT_TRUE(waitFor([&] {
        return std::ranges::any_of(propertiesChanged, [](const QList<QVariant>& signal) {
            return qdbus_cast<QVariantMap>(signal.value(1)).value(u"Count"_s).toInt() == 3;
        });
    }));
    ASSERT_EQ(queue.call(u"List"_s).type(), QDBusMessage::ReplyMessage);
    QSignalSpy changed(&queue, SIGNAL(Changed()));
    struct Case {
        QStringList arguments;
        int status;
        QString out;
        QString err;
        int changes;
    };
    const Case running[] = {
        // Repeats fold into one row, listed with its count and members.
        { { u"list"_s }, 0, ids[0] + u"\toverdue"_s, {}, 0 },
        { { u"list"_s }, 0,
            u"\t#alerts\talertmanager\t×3\t"_s + ids.join(u',') + u"\tDisk > 90%\n"_s, {}, 0 },
        { { u"status"_s, u"--format"_s, u"waybar"_s }, 0,
            u"{\"alt\":\"mostly-aged\",\"class\":[\"mostly-aged\"],\"text\":\"🔴 3\","_s, {}, 0 },
        // A snoozed row leaves the count, is listed with --all and comes back whole.
        { { u"snooze"_s, ids[0], u"1h"_s }, 0, u"Snoozed 3 alerts.\n"_s, {}, 2 },
        { { u"list"_s, u"--all"_s }, 0, ids[0] + u"\tsnoozed until "_s, {}, 2 },
        { { u"status"_s }, 0, u"0 alerts · 🟢 all clear · 0 overdue · 💤 3 snoozed\n"_s, {},
            2 },
        { { u"unsnooze"_s, ids[0] }, 0, u"3 alerts are back.\n"_s, {}, 4 },
        { { u"ack"_s, ids[0], u"C1:9.9"_s }, 1, u"Acknowledged "_s + ids[0] + u".\n"_s,
            u"No alert C1:9.9 is waiting.\n"_s, 5 },
        // The row's Ack took every member along, one reaction each.
        { { u"open"_s, ids[1] }, 1, {}, u"No alert "_s + ids[1] + u" is waiting."_s, 5 },
        { { u"ack"_s, u"--all"_s }, 0, u"Acknowledged 0 alerts.\n"_s, {}, 5 },
        { { u"status"_s }, 0, u"Connected · 0 alerts · 🟢 all clear · 0 overdue\n"_s, {}, 5 },
    };
    for (const Case& c : running) {
        const auto [status, out, err] = command(c.arguments);
        EXPECT_EQ(status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(out.contains(c.out) && err.contains(c.err)) << QString(out + err).toStdString();
        EXPECT_TRUE(waitFor([&] { return changed.size() >= c.changes; }));
        // Signals sent before a reply arrive before it: any surplus is in by now.
        EXPECT_EQ(queue.call(u"List"_s).type(), QDBusMessage::ReplyMessage);
        EXPECT_EQ(changed.size(), c.changes) << c.arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(queue.property("Count").toInt(), 0);
    EXPECT_TRUE(waitFor([&] { return m_fake.requests(u"reactions.add"_s).size() == 3; }));
    stop();
    for (const QStringList& arguments : { QStringList { u"list"_s }, { u"ack"_s, u"--all"_s },
             { u"open"_s, ids[1] }, { u"status"_s, u"--json"_s } }) {
        // Qt's bus thread may add a warning of its own while the process ends.
        const auto [status, out, err] = command(arguments);
        EXPECT_TRUE(status == 3 && out.isEmpty() && err.startsWith(u"Halyard is not running.\n"_s))
            << arguments.join(u' ').toStdString() << err.toStdString();
    }
}

// Acks made while Slack fails are kept in the data folder: a crash loses none, and the next start
// sends each once.
TEST_F(HeadlessTest, AcksSurviveAFaultAndACrash)
{
    start();
    ASSERT_TRUE(waitConnected());
    for (const char* ts : { "1700000000.000100", "1700000001.000100" })
        m_fake.postMessage(u"C1"_s, botMessage(u"disk"_s, QString::fromLatin1(ts)));
    ASSERT_TRUE(waitFor([&] { return queued().size() == 2; }));
    m_fake.script(u"reactions.add"_s, test::FakeReply::http(500), -1);
    ASSERT_EQ(std::get<0>(command({ u"ack"_s, u"--all"_s })), 0);
    ASSERT_TRUE(waitFor([&] { return m_fake.requests(u"reactions.add"_s).size() >= 2; }));
    ::kill(pid_t(m_process->processId()), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return !running(); }));
    m_process.reset();
    QFile outbox(m_home.filePath(u"data/Halyard/reactions.json"_s));
    ASSERT_TRUE(outbox.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(outbox.readAll())[u"reactions"_s].toArray().size(), 2);
    EXPECT_EQ(QFileInfo(outbox).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    m_fake.clearScripts();
    m_fake.clearRecords();
    start();
    ASSERT_TRUE(waitFor([&] { return m_fake.requests(u"reactions.add"_s).size() == 2; }));
    for (const char* ts : { "1700000000.000100", "1700000001.000100" })
        EXPECT_EQ(m_fake.workspace().reactions(u"C1"_s, QString::fromLatin1(ts)).size(), 1);
}
