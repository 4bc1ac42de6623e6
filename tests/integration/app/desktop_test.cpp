// The desktop program on a real X server (Xvfb) against the fake Slack: its window is read and
// driven from outside with the X tools, the way a window manager and a user see it.
#include "halyard-sim/fakeslack.h"
#include "settings/keychainservice.h"
#include "settings/preferencestore.h"
#include "settings/slacktokens.h"
#include "ui/panel/panelpositionstore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;
using halyard::test::FakeSlack;

namespace {

class DesktopProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "xprop", "xdotool", "xwininfo", "openbox" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        }
        // -noreset: by default the server starts over when its last client leaves, and a client
        // that connects meanwhile (openbox, after the check below has gone) is refused.
        // Each test program tries displays of its own (by process id), since servers that
        // pick a free number themselves can pick the same one at the same moment. -displayfd
        // says when the server accepts clients.
        // What the X server and the window manager say is kept, and shown when a test fails.
        m_xvfb.setStandardErrorFile(m_home.filePath(u"xvfb.log"_s), QIODevice::Append);
        m_windowManager.setStandardOutputFile(m_home.filePath(u"openbox.log"_s));
        m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
        const int first = 200 + int(QCoreApplication::applicationPid() % 500);
        for (int number = first; number < first + 20 && m_display.isEmpty(); ++number) {
            m_xvfb.close();
            m_xvfb.start(u"Xvfb"_s,
                { u":"_s + QString::number(number), u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s,
                    u"1280x800x24"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s });
            ASSERT_TRUE(m_xvfb.waitForStarted());
            if (QTest::qWaitFor([&] { return m_xvfb.canReadLine(); }, 10000))
                m_display = u":"_s + QString::fromLatin1(m_xvfb.readLine().trimmed());
            // Only a server that answers a client is used.
            if (!m_display.isEmpty()
                && !QTest::qWaitFor(
                    [&] { return !x(u"xdotool"_s, { u"getdisplaygeometry"_s }).isEmpty(); },
                    5000)) {
                m_display.clear();
                m_xvfb.kill();
                m_xvfb.waitForFinished();
            }
        }
        ASSERT_FALSE(m_display.isEmpty()) << serverLogs();

        ASSERT_TRUE(m_fake.listen());
        m_fake.setHelloOnConnect(true);
        m_fake.workspace().addChannel({ u"C1"_s, u"alerts"_s });
        const auto stored = QCoro::waitFor(storeSlackTokens(
            &m_keychain, SlackTokens { m_fake.workspace().botToken, m_fake.workspace().appToken }));
        ASSERT_TRUE(stored.has_value()) << stored.error().description().toStdString();
    }

    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished();
        }
        if (HasFailure())
            std::cerr << "Xvfb " << qPrintable(m_display) << " state " << m_xvfb.state() << "\n"
                      << serverLogs() << std::endl;
        m_xvfb.terminate();
        m_xvfb.waitForFinished();
        (void)QCoro::waitFor(deleteSlackTokens(&m_keychain));
    }

    std::string serverLogs() const
    {
        std::string out;
        for (const QString& name : { u"xvfb.log"_s, u"openbox.log"_s }) {
            QFile file(m_home.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                out += name.toStdString() + ":\n" + file.readAll().toStdString() + '\n';
        }
        return out;
    }

    QProcessEnvironment programEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, m_display);
        // A Wayland session with XWayland: the panel must still run on X.
        env.insert(u"WAYLAND_DISPLAY"_s, u"wayland-halyard-test"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        env.insert(u"HALYARD_SLACK_API_URL"_s, m_fake.apiUrl().toString());
        env.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        env.insert(u"QT_FORCE_STDERR_LOGGING"_s, u"1"_s);
        env.insert(u"QT_MESSAGE_PATTERN"_s, u"%{category}: %{message}"_s);
        return env;
    }

    QStringList programArguments() const
    {
        return { u"--keychain-service"_s, m_keychain.service() };
    }

    // For what only a window manager does: stacking, frames, minimising, focus requests.
    void startWindowManager()
    {
        m_windowManager.setProcessEnvironment(programEnvironment());
        m_windowManager.start(u"openbox"_s, {});
        const QStringList check { u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s };
        ASSERT_TRUE(QTest::qWaitFor([&] { return x(u"xprop"_s, check).contains(u'#'); }, 10000));
    }

    // A second launch, which hands over to the running copy and ends.
    void launchAgain()
    {
        QProcess second;
        second.setProcessEnvironment(programEnvironment());
        second.start(QStringLiteral(HALYARD_BINARY), programArguments());
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(second.readAllStandardError().contains("Halyard is already running"));
    }

    // `programsFirst`: a folder searched before the PATH, for programs the program runs.
    void start(const QStringList& extraArguments = {}, const QString& programsFirst = {})
    {
        QProcessEnvironment env = programEnvironment();
        if (!programsFirst.isEmpty())
            env.insert(u"PATH"_s, programsFirst + u':' + env.value(u"PATH"_s));
        m_program.setProcessEnvironment(env);
        QObject::connect(&m_program, &QProcess::readyReadStandardError, &m_program,
            [this] { m_log += QString::fromUtf8(m_program.readAllStandardError()); });
        m_program.start(QStringLiteral(HALYARD_BINARY), programArguments() + extraArguments);
        ASSERT_TRUE(m_program.waitForStarted());
    }

    // Runs an X tool on the test's display and returns what it printed.
    QString x(const QString& tool, const QStringList& arguments) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, m_display);
        process.setProcessEnvironment(env);
        process.start(tool, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The first visible window with this title, once there is one.
    QString waitForWindow(const QString& title)
    {
        QString id;
        (void)QTest::qWaitFor(
            [&] {
                id = x(u"xdotool"_s, { u"search"_s, u"--onlyvisible"_s, u"--name"_s, title })
                         .section(u'\n', 0, 0);
                return !id.isEmpty();
            },
            10000);
        return id;
    }

    // Docks and window switchers tie a window to the desktop entry by its class, and show its
    // icon.
    void expectDesktopIdentity(const QString& window) const
    {
        QFile entry(QStringLiteral(HALYARD_DESKTOP_ENTRY));
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        const QString wmClass = QString::fromUtf8(entry.readAll())
                                    .section(u"\nStartupWMClass="_s, 1)
                                    .section(u'\n', 0, 0);
        EXPECT_TRUE(x(u"xprop"_s, { u"-id"_s, window, u"WM_CLASS"_s })
                        .endsWith(u", \""_s + wmClass + u'"'));
        EXPECT_TRUE(x(u"xprop"_s, { u"-id"_s, window, u"-len"_s, u"8"_s, u"_NET_WM_ICON"_s })
                        .startsWith(u"_NET_WM_ICON(CARDINAL) = "_s));
    }

    // A window's geometry as xwininfo reports it: x, y, width, height.
    QRect geometry(const QString& window) const
    {
        const QString info = x(u"xwininfo"_s, { u"-id"_s, window });
        const auto field = [&info](const QString& name) {
            const qsizetype at = info.indexOf(name);
            return at < 0 ? -1 : info.mid(at + name.size()).section(u'\n', 0, 0).trimmed().toInt();
        };
        return { field(u"Absolute upper-left X:"_s), field(u"Absolute upper-left Y:"_s),
            field(u"Width:"_s), field(u"Height:"_s) };
    }
    QRect panelGeometry() const { return geometry(m_window); }
    bool isViewable(const QString& window) const
    {
        return x(u"xwininfo"_s, { u"-id"_s, window }).contains(u"Map State: IsViewable"_s);
    }
    // Runs xdotool's pointer commands with these numbers for %1, %2 and so on.
    void pointer(QString commands, std::initializer_list<int> numbers) const
    {
        for (int number : numbers)
            commands = commands.arg(number);
        x(u"xdotool"_s, commands.split(u' '));
    }

    void click(QPoint at) const
    {
        x(u"xdotool"_s,
            { u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
                u"1"_s });
    }

    QStringList queuedIds() const { return queuedIds(m_home.filePath(u"data"_s)); }
    static QStringList queuedIds(const QString& dataFolder)
    {
        QFile file(dataFolder + u"/Halyard/queue.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList ids;
        const QJsonObject queue = QJsonDocument::fromJson(file.readAll()).object();
        for (const QJsonValue& alert : queue.value(u"alerts"_s).toArray())
            ids.append(alert.toObject().value(u"id"_s).toString());
        return ids;
    }

    // The stored panel position record, decoded.
    QJsonObject savedPosition() const
    {
        QFile file(m_home.filePath(u"config/Halyard/preferences.json"_s));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QJsonObject stored = QJsonDocument::fromJson(file.readAll())
                                       .object()
                                       .value(u"panel.position.v1"_s)
                                       .toObject();
        if (stored.isEmpty())
            return {};
        const QByteArray data = QByteArray::fromBase64(stored.begin()->toString().toLatin1());
        return QJsonDocument::fromJson(data).object();
    }

    QProcess m_xvfb;
    QString m_display;
    QTemporaryDir m_home;
    FakeSlack m_fake;
    KeychainService m_keychain { u"com.corvane.Halyard.test-"_s
        + QUuid::createUuid().toString(QUuid::Id128) };
    QProcess m_program;
    QProcess m_windowManager;
    QString m_window;
    QString m_log;
};

// Under a window manager: the panel is a dock on every workspace, a place near the top survives
// a restart untouched, a drag snaps only where it ends, and a minimised Settings window is no
// closed one: a second launch brings it back where it was.
TEST_F(DesktopProgramTest, PanelStaysWhereTheUserPutsIt)
{
    startWindowManager();
    {
        PreferenceStore preferences(m_home.filePath(u"config/Halyard"_s));
        PanelPositionStore(preferences).save({ 300, 30 }, std::nullopt);
    }
    start();
    m_window = waitForWindow(u"^Halyard$"_s);
    ASSERT_FALSE(m_window.isEmpty()) << m_log.toStdString();
    EXPECT_TRUE(isViewable(m_window));
    const QString type = x(u"xprop"_s, { u"-id"_s, m_window, u"_NET_WM_WINDOW_TYPE"_s });
    EXPECT_TRUE(type.endsWith(u"= _NET_WM_WINDOW_TYPE_DOCK"_s)) << type.toStdString();
    const QString state = x(u"xprop"_s, { u"-id"_s, m_window, u"_NET_WM_STATE"_s });
    // On every workspace by _NET_WM_DESKTOP: openbox keeps no sticky state.
    EXPECT_TRUE(state.endsWith(u"_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER"_s))
        << state.toStdString();
    EXPECT_EQ(x(u"xprop"_s, { u"-id"_s, m_window, u"_NET_WM_DESKTOP"_s }),
        u"_NET_WM_DESKTOP(CARDINAL) = 4294967295"_s);
    expectDesktopIdentity(m_window);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"app: Running through XWayland"_s); }, 5000))
        << m_log.toStdString();

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
        << m_log.toStdString();
    const QRect collapsed = panelGeometry();
    EXPECT_EQ(collapsed.topLeft(), QPoint(300, 30)) << m_log.toStdString();
    EXPECT_EQ(savedPosition().value(u"topLeftY"_s).toDouble(), 30);
    EXPECT_EQ(collapsed.width(), 320);

    // The gear at the bar's right end opens the settings window.
    click(panelGeometry().topLeft() + QPoint(320 - 14, collapsed.height() / 2));
    const QString settings = waitForWindow(u"^Halyard Settings$"_s);
    ASSERT_FALSE(settings.isEmpty()) << m_log.toStdString();
    expectDesktopIdentity(settings);
    const QRect placed = geometry(settings);
    x(u"xdotool"_s, { u"windowminimize"_s, settings });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !isViewable(settings); }, 5000));

    // Dragged on the bar's empty middle up into the top 50 px and a little down again: no snap on
    // the way, flush once let go.
    const QPoint grab = panelGeometry().topLeft() + QPoint(200, collapsed.height() / 2);
    pointer(
        u"mousemove %1 %2 mousedown 1 mousemove %1 %3"_s, { grab.x(), grab.y(), grab.y() - 20 });
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelGeometry().top() == 10; }, 5000));
    pointer(u"mousemove %1 %2 mouseup 1"_s, { grab.x(), grab.y() - 15 });
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return savedPosition().value(u"topLeftY"_s).toDouble() == 0
            && panelGeometry().topLeft() == QPoint(300, 0);
    })) << panelGeometry();
    // Down through them: where it was let go.
    pointer(u"mousemove %1 %2 mousedown 1 mousemove %1 %3 mousemove %4 %5 mouseup 1"_s,
        { grab.x(), grab.y() - 30, grab.y(), grab.x() + 150, grab.y() + 140 });
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return savedPosition().value(u"topLeftY"_s).toDouble() == 170
            && panelGeometry().topLeft() == QPoint(450, 170);
    })) << QJsonDocument(savedPosition()).toJson().toStdString()
        << panelGeometry();

    // The window manager animates the way back from the minimised state.
    launchAgain();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return isViewable(settings) && geometry(settings) == placed;
    })) << geometry(settings);

    ::kill(pid_t(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(10000))
        << m_log.toStdString() << m_program.readAllStandardError().toStdString();
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0) << m_log.toStdString();
}

// A desktop shortcut's "halyard --focus" reaches the running copy over the session bus, and the
// panel then works from the keyboard; with no copy running it says so with status 3.
TEST_F(DesktopProgramTest, FocusGivesThePanelTheKeyboard)
{
    const auto focus = [&] {
        QProcess process;
        process.setProcessEnvironment(programEnvironment());
        process.start(QStringLiteral(HALYARD_BINARY), { u"--focus"_s });
        process.waitForFinished(10000);
        return process.exitCode();
    };
    EXPECT_EQ(focus(), 3);
    startWindowManager();
    start();
    m_window = waitForWindow(u"^Halyard$"_s);
    ASSERT_FALSE(m_window.isEmpty()) << m_log.toStdString();
    const int collapsed = panelGeometry().height();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
        << m_log.toStdString();
    m_fake.postMessage(u"C1"_s,
        { { u"bot_id"_s, u"B0ALERTS"_s }, { u"text"_s, u"Disk full"_s },
            { u"ts"_s, u"1700000000.000100"_s } });
    // The panel opens once its queue has the alert.
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelGeometry().height() > collapsed; }, 10000));

    // Settings is what the user works in; the shortcut lends the keyboard to the panel, Escape
    // gives it back there.
    launchAgain();
    const QString settings = waitForWindow(u"^Halyard Settings$"_s);
    const auto active = [&] { return x(u"xdotool"_s, { u"getactivewindow"_s }); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return active() == settings; }, 5000));
    EXPECT_EQ(focus(), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return x(u"xdotool"_s, { u"getwindowfocus"_s }) == m_window; }, 5000));
    x(u"xdotool"_s, { u"key"_s, u"a"_s });
    EXPECT_TRUE(QTest::qWaitFor([&] { return queuedIds().isEmpty(); }, 5000))
        << m_log.toStdString();
    x(u"xdotool"_s, { u"key"_s, u"Escape"_s });
    EXPECT_TRUE(QTest::qWaitFor([&] { return active() == settings; }, 5000))
        << active().toStdString();
}

// For those whose status-bar module and banners are enough: the bus answers, no window shows until
// a second launch asks for Settings.
TEST_F(DesktopProgramTest, WithoutThePanelOnlySettingsShowsAndOnlyWhenAskedFor)
{
    startWindowManager();
    start({ u"--no-panel"_s });
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
        << m_log.toStdString();
    QProcess status;
    status.setProcessEnvironment(programEnvironment());
    status.start(QStringLiteral(HALYARD_BINARY), { u"status"_s, u"--json"_s });
    ASSERT_TRUE(status.waitForFinished(10000));
    EXPECT_TRUE(status.readAllStandardOutput().contains("\"running\":true"));
    const QStringList search { u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Halyard"_s };
    EXPECT_TRUE(x(u"xdotool"_s, search).isEmpty());
    launchAgain();
    EXPECT_FALSE(waitForWindow(u"^Halyard Settings$"_s).isEmpty()) << m_log.toStdString();
    EXPECT_TRUE(x(u"xdotool"_s, { u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Halyard$"_s })
                    .isEmpty());
}

// The demo serves its own workspace and keeps everything in a throw-away profile: alerts arrive
// there, the user's folders stay untouched, the commands reach it on the bus until a real copy
// takes the name, what it opens runs in the user's environment, and
// the profile is gone once the program ends, also on SIGHUP.
TEST_F(DesktopProgramTest, DemoRunsInAThrowAwayProfile)
{
    // Stand-ins for the desktop's link handling: no slack: handler, and a browser that notes
    // the environment it was started in.
    QTemporaryDir programs;
    const QString opened = programs.filePath(u"opened"_s);
    const std::pair<QString, QByteArray> scripts[] = {
        { u"xdg-mime"_s, "#!/bin/sh\nexit 1\n" },
        { u"xdg-open"_s,
            "#!/bin/sh\nenv > \"" + opened.toUtf8() + ".tmp\"\nmv \"" + opened.toUtf8()
                + ".tmp\" \"" + opened.toUtf8() + "\"\n" },
    };
    for (const auto& [name, script] : scripts) {
        QFile file(programs.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    start({ u"--demo"_s }, programs.path());
    const QString marker = u"app: Demo profile in "_s;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.contains(marker); }, 30000))
        << m_log.toStdString();
    const QString profile = m_log.mid(m_log.indexOf(marker) + marker.size()).section(u'\n', 0, 0);
    ASSERT_TRUE(QFileInfo(profile).isDir()) << profile.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return queuedIds(profile + u"/data"_s).size() >= 3; }, 30000))
        << m_log.toStdString();
    EXPECT_FALSE(QFile::exists(m_home.filePath(u"data/Halyard"_s)));
    EXPECT_FALSE(QFile::exists(m_home.filePath(u"config/Halyard"_s)));
    EXPECT_TRUE(m_fake.requests().isEmpty()) << "the test's Slack was reached";

    // With no other copy on the bus, the commands reach the demo's queue.
    EXPECT_TRUE(m_log.contains(u"app: Serving the queue on the session bus"_s))
        << m_log.toStdString();
    const auto command = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(programEnvironment());
        process.start(QStringLiteral(HALYARD_BINARY), arguments);
        process.waitForFinished(10000);
        return std::pair { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()) };
    };
    const auto [listed, list] = command({ u"list"_s });
    const QStringList rows = list.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(listed == 0 && rows.size() >= 3) << list.toStdString();
    EXPECT_EQ(command({ u"ack"_s, rows.value(0).section(u'\t', 0, 0) }).first, 0);
    EXPECT_TRUE(command({ u"status"_s, u"--json"_s }).second.contains(u"\"running\":true"_s));
    // A real copy asking for the name gets it; the demo says so.
    ASSERT_TRUE(QDBusConnection::sessionBus()
                    .interface()
                    ->registerService(
                        u"com.corvane.Halyard"_s, QDBusConnectionInterface::ReplaceExistingService)
                    .isValid());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return m_log.contains(u"app: Another copy took com.corvane.Halyard"_s); }, 5000))
        << m_log.toStdString();
    QDBusConnection::sessionBus().unregisterService(u"com.corvane.Halyard"_s);

    // A click near the bottom of the panel lands on its last alert; teammates may clear it
    // meanwhile, so it is tried again until the browser starts.
    m_window = waitForWindow(u"^Halyard$"_s);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QRect panel = panelGeometry();
            click(QPoint(panel.left() + 60, panel.bottom() - 20));
            return QTest::qWaitFor([&] { return QFile::exists(opened); }, 1000);
        },
        15000));
    QFile file(opened);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << m_log.toStdString();
    const QStringList environment = QString::fromUtf8(file.readAll()).split(u'\n');
    const QProcessEnvironment user = programEnvironment();
    for (const QString& name :
        { u"XDG_DATA_HOME"_s, u"XDG_CONFIG_HOME"_s, u"HALYARD_SLACK_API_URL"_s }) {
        EXPECT_TRUE(environment.contains(name + u'=' + user.value(name))) << name.toStdString();
    }
    EXPECT_TRUE(environment.filter(u"QT_QPA_PLATFORM="_s).isEmpty());

    ::kill(pid_t(m_program.processId()), SIGHUP);
    ASSERT_TRUE(m_program.waitForFinished(10000)) << m_log.toStdString();
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0) << m_log.toStdString();
    EXPECT_FALSE(QFileInfo::exists(profile));
}

// With no tokens the settings window opens by itself; the tokens typed into it connect the
// program, and a second launch only brings the window up.
TEST_F(DesktopProgramTest, FirstRunOpensSettingsWhereSavedTokensConnect)
{
    ASSERT_TRUE(QCoro::waitFor(deleteSlackTokens(&m_keychain)).has_value());
    start();
    // Beside the panel, 8 px away.
    const QString settings = waitForWindow(u"^Halyard Settings$"_s);
    ASSERT_FALSE(settings.isEmpty()) << m_log.toStdString();
    EXPECT_EQ(geometry(settings).topLeft(), QPoint(8 + 320 + 8, 0));

    launchAgain();

    const QPoint origin = geometry(settings).topLeft();
    click(origin + QPoint(280, 104));
    x(u"xdotool"_s, { u"type"_s, u"--delay"_s, u"1"_s, m_fake.workspace().botToken });
    click(origin + QPoint(280, 175));
    x(u"xdotool"_s, { u"type"_s, u"--delay"_s, u"1"_s, m_fake.workspace().appToken });
    x(u"xdotool"_s, { u"key"_s, u"Return"_s });
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
        << m_log.toStdString();

    // "Quit Halyard", the last entry of the panel's menu, ends the program cleanly. The menu is
    // a window of the program's own; the keys go to it once it shows.
    const QPoint middle = geometry(waitForWindow(u"^Halyard$"_s)).topLeft() + QPoint(200, 14);
    const QStringList search { u"search"_s, u"--onlyvisible"_s, u"--pid"_s,
        QString::number(m_program.processId()) };
    const QString before = x(u"xdotool"_s, search);
    x(u"xdotool"_s,
        { u"mousemove"_s, QString::number(middle.x()), QString::number(middle.y()), u"click"_s,
            u"3"_s });
    ASSERT_TRUE(QTest::qWaitFor([&] { return x(u"xdotool"_s, search).size() > before.size(); }));
    x(u"xdotool"_s, { u"key"_s, u"Up"_s, u"Return"_s });
    ASSERT_TRUE(m_program.waitForFinished(10000));
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0);
}

} // namespace

namespace {

// No display at all, or Wayland alone without Qt's Wayland support: one line saying what to do.
TEST(DesktopProgramWithoutDisplayTest, SaysSoInOneLineAndWhatToDo)
{
    const bool waylandSupport
        = !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms"_s)
               .entryList({ u"libqwayland-*.so"_s })
               .isEmpty();
    const struct {
        QString waylandDisplay;
        int exitCode;
        QByteArray advice;
    } cases[] = {
        { {}, 1, "halyard --headless" },
        { u"wayland-halyard-none"_s, 2, "qt6-wayland" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.advice.constData());
        if (c.exitCode == 2 && waylandSupport)
            continue; // Qt would try the Wayland server instead
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : { u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s })
            env.remove(name);
        if (!c.waylandDisplay.isEmpty())
            env.insert(u"WAYLAND_DISPLAY"_s, c.waylandDisplay);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(HALYARD_BINARY), {});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), c.exitCode);
        const QByteArray error = program.readAllStandardError();
        EXPECT_EQ(error.count('\n'), 1) << error.constData();
        EXPECT_TRUE(error.contains(c.advice)) << error.constData();
    }
}

} // namespace
