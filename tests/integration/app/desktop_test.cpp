// The desktop program on a real X server (Xvfb) against the fake Slack: its window is read and
// driven from outside with the X tools, the way a window manager and a user see it.
#include "common/fakenotificationserver.h"
#include "halyard-sim/fakeslack.h"
#include "settings/keychainservice.h"
#include "settings/preferencestore.h"
#include "settings/slacktokens.h"
#include "ui/panel/panelpositionstore.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDebug>
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

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <xcb/xcb.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;
using halyard::test::FakeSlack;

namespace {

// A window manager the desktop tests run under, started on the test's display. The desktops
// refuse different things (focus requests, minimising, docks), so the same checks run under each.
struct WindowManager {
    std::string name;
    // The program and its arguments; "{config}" stands for the path of `config`, written first.
    QStringList command;
    QByteArray config {};
    QStringList environment {}; // NAME=value
    // A second workspace made and shown: "{index}" counts from 0, "{number}" from 1.
    QStringList addWorkspace { u"xdotool"_s, u"set_num_desktops"_s, u"2"_s };
    QStringList showWorkspace { u"xdotool"_s, u"set_desktop"_s, u"{index}"_s };
    QByteArray panelType = "_NET_WM_WINDOW_TYPE_DOCK";
    // Why this window manager cannot minimise a window; empty when it can.
    QString noMinimising {};
};

void PrintTo(const WindowManager& manager, std::ostream* out)
{
    *out << manager.name;
}

const WindowManager kOpenbox { "openbox", { u"openbox"_s } };

const WindowManager kWindowManagers[] = {
    kOpenbox,
    // Without a session: no session manager to register with.
    { "mutter", { u"mutter"_s, u"--x11"_s, u"--replace"_s, u"--sm-disable"_s } },
    // Compositing off: Xvfb has no GL worth the name.
    { "kwin", { u"kwin_x11"_s, u"--replace"_s }, {},
        { u"KWIN_COMPOSE=N"_s, u"QT_QPA_PLATFORM=xcb"_s, u"LIBGL_ALWAYS_SOFTWARE=1"_s } },
    // No rules for the panel: it must float at its own size by itself. Workspaces exist
    // while they hold windows or are shown, so the second is made by showing it.
    { "i3", { u"i3"_s, u"-c"_s, u"{config}"_s },
        "# i3 config file (v4)\nfont pango:monospace 8\nfocus_follows_mouse no\n", {}, {},
        { u"i3-msg"_s, u"workspace number {number}"_s }, "_NET_WM_WINDOW_TYPE_UTILITY",
        u"i3 has no minimised windows"_s },
};

class DesktopProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "xprop", "xdotool", "xwininfo" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        }
        // -noreset: by default the server starts over when its last client leaves, and a client
        // that connects meanwhile (the window manager, after the check below has gone) is refused.
        // Each test program tries displays of its own (by process id), since servers that
        // pick a free number themselves can pick the same one at the same moment. -displayfd
        // says when the server accepts clients.
        // What the X server and the window manager say is kept, and shown when a test fails.
        m_xvfb.setStandardErrorFile(m_home.filePath(u"xvfb.log"_s), QIODevice::Append);
        m_windowManager.setStandardOutputFile(
            m_home.filePath(u"windowmanager.log"_s), QIODevice::Append);
        m_windowManager.setStandardErrorFile(
            m_home.filePath(u"windowmanager.log"_s), QIODevice::Append);
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
        for (const QString& name : { u"xvfb.log"_s, u"windowmanager.log"_s }) {
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
    // Skips the test when the window manager is not installed.
    void startWindowManager(const WindowManager& manager = kOpenbox)
    {
        if (QStandardPaths::findExecutable(manager.command.first()).isEmpty())
            GTEST_SKIP() << manager.command.first().toStdString() << " is not installed";
        QProcessEnvironment env = programEnvironment();
        env.remove(u"WAYLAND_DISPLAY"_s);
        for (const QString& setting : manager.environment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QStringList command = manager.command;
        if (!manager.config.isEmpty()) {
            QFile config(m_home.filePath(u"windowmanager.conf"_s));
            ASSERT_TRUE(config.open(QIODevice::WriteOnly) && config.write(manager.config) > 0);
            command.replaceInStrings(u"{config}"_s, config.fileName());
        }
        m_windowManager.setProcessEnvironment(env);
        m_windowManager.start(command.takeFirst(), command);
        // Ready once its check window carries its name: the panel picks its window type by it.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QString check = x(u"xprop"_s, { u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s })
                                          .section(u' ', -1);
                return check.startsWith(u"0x"_s)
                    && x(u"xprop"_s, { u"-id"_s, check, u"_NET_WM_NAME"_s }).contains(u'"');
            },
            20000))
            << serverLogs();
    }

    // Runs a command of the window manager's table with the workspace counted from 0.
    void onWorkspace(const QStringList& command, int index) const
    {
        if (command.isEmpty())
            return;
        QStringList arguments = command;
        arguments.replaceInStrings(u"{index}"_s, QString::number(index));
        arguments.replaceInStrings(u"{number}"_s, QString::number(index + 1));
        x(arguments.takeFirst(), arguments);
    }

    // The X server's time now, as a launcher stamps a startup id with it.
    uint32_t serverTime() const
    {
        xcb_connection_t* connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
        const xcb_window_t window = xcb_generate_id(connection);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, 0, window, screen->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        xcb_change_property(
            connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
        xcb_flush(connection);
        uint32_t time = 0;
        while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
            std::free(event);
            if (time)
                break;
        }
        xcb_disconnect(connection);
        return time;
    }

    // One more run of the program, as a script or a launcher starts it (with one more variable
    // set when given): its status and output.
    std::pair<int, QString> run(
        const QStringList& arguments, const std::pair<QString, QString>& variable = {}) const
    {
        QProcess process;
        QProcessEnvironment env = programEnvironment();
        if (!variable.first.isEmpty())
            env.insert(variable.first, variable.second);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(HALYARD_BINARY), arguments);
        process.waitForFinished(10000);
        return { process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()) };
    }
    // A second launch, which hands over to the running copy and ends.
    void launchAgain()
    {
        const auto [status, output] = run(programArguments());
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(output.contains(u"Halyard is already running"_s)) << output.toStdString();
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
    // Compositing window managers keep minimised windows and those of other workspaces mapped.
    bool isShown(const QString& window) const
    {
        return x(u"xwininfo"_s, { u"-id"_s, window }).contains(u"Map State: IsViewable"_s)
            && x(u"xprop"_s, { u"-id"_s, window, u"WM_STATE"_s }).contains(u"state: Normal"_s);
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

class WindowManagerTest : public DesktopProgramTest,
                          public ::testing::WithParamInterface<WindowManager> {
protected:
    // By the window manager's stacking of the client windows, bottom to top.
    bool isAbove(const QString& upper, const QString& lower) const
    {
        const QStringList list = x(u"xprop"_s, { u"-root"_s, u"_NET_CLIENT_LIST_STACKING"_s })
                                     .section(u'#', 1)
                                     .split(u',');
        QList<uint> windows;
        for (const QString& id : list)
            windows.append(id.trimmed().toUInt(nullptr, 16));
        const qsizetype bottom = windows.indexOf(lower.toUInt());
        return bottom >= 0 && windows.indexOf(upper.toUInt()) > bottom;
    }
    QString activeWindow() const { return x(u"xdotool"_s, { u"getactivewindow"_s }); }
    QString focusedWindow() const { return x(u"xdotool"_s, { u"getwindowfocus"_s }); }

    // The keyboard is on the alert list when "a" acknowledges one.
    bool keyboardReachesTheList()
    {
        const qsizetype before = queuedIds().size();
        x(u"xdotool"_s, { u"key"_s, u"a"_s });
        return QTest::qWaitFor([&] { return queuedIds().size() == before - 1; }, 5000);
    }

    QProcess m_other;
};

// What users of each desktop meet: the panel stays above the window they work in and on every
// workspace, where they put it; a click on its bar, the desktop shortcut's "halyard --focus" (with
// or without the launcher's startup id) give its list the keyboard, and a second launch brings
// Settings back, also from minimised and from behind another window.
TEST_P(WindowManagerTest, PanelAndSettingsWorkUnderIt)
{
    const WindowManager& manager = GetParam();
    EXPECT_EQ(run({ u"--focus"_s }).first, 3) << "no copy runs yet";
    ASSERT_NO_FATAL_FAILURE(startWindowManager(manager));
    if (IsSkipped())
        return;
    {
        PreferenceStore preferences(m_home.filePath(u"config/Halyard"_s));
        PanelPositionStore(preferences).save({ 300, 30 }, std::nullopt);
    }
    start();
    m_window = waitForWindow(u"^Halyard$"_s);
    ASSERT_FALSE(m_window.isEmpty()) << m_log.toStdString();
    const QString type = x(u"xprop"_s, { u"-id"_s, m_window, u"_NET_WM_WINDOW_TYPE"_s });
    EXPECT_TRUE(type.endsWith(u"= "_s + QString::fromLatin1(manager.panelType)))
        << type.toStdString();
    expectDesktopIdentity(m_window);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
        << m_log.toStdString();
    // Floating at its own size and where it was, not laid out as a bar or a tile.
    const QRect collapsed = panelGeometry();
    EXPECT_EQ(collapsed.topLeft(), QPoint(300, 30)) << m_log.toStdString();
    EXPECT_EQ(collapsed.width(), 320);

    // Another program's window over the panel's place, active: the panel stays above it.
    m_other.setProcessEnvironment(programEnvironment());
    m_other.start(u"xmessage"_s,
        { u"-geometry"_s, u"500x300+200+10"_s, u"-title"_s, u"Other window"_s, u"Other window"_s });
    const QString other = waitForWindow(u"^Other window$"_s);
    ASSERT_FALSE(other.isEmpty());
    const auto windows = [&] {
        QString out;
        QDebug(&out) << "active" << activeWindow() << "panel" << m_window << panelGeometry()
                     << "other" << other << geometry(other);
        return out.toStdString();
    };
    click(geometry(other).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == other; }, 5000)) << windows();
    EXPECT_TRUE(QTest::qWaitFor([&] { return isAbove(m_window, other); }, 5000));

    // On every workspace: shown on the second, where the other window is not.
    onWorkspace(manager.addWorkspace, 1);
    onWorkspace(manager.showWorkspace, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isShown(other); }, 5000));
    EXPECT_TRUE(isShown(m_window));
    onWorkspace(manager.showWorkspace, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return isShown(other); }, 5000));

    // Dragged on the bar's empty middle up into the top 50 px and a little down again: no snap on
    // the way, flush once let go; then down through them, where it was let go.
    const QPoint grab = panelGeometry().topLeft() + QPoint(200, collapsed.height() / 2);
    pointer(
        u"mousemove %1 %2 mousedown 1 mousemove %1 %3"_s, { grab.x(), grab.y(), grab.y() - 20 });
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelGeometry().top() == 10; }, 5000));
    pointer(u"mousemove %1 %2 mouseup 1"_s, { grab.x(), grab.y() - 15 });
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return savedPosition().value(u"topLeftY"_s).toDouble() == 0
            && panelGeometry().topLeft() == QPoint(300, 0);
    })) << panelGeometry();
    pointer(u"mousemove %1 %2 mousedown 1 mousemove %1 %3 mousemove %4 %5 mouseup 1"_s,
        { grab.x(), grab.y() - 30, grab.y(), grab.x() + 150, grab.y() + 140 });
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return savedPosition().value(u"topLeftY"_s).toDouble() == 170
            && panelGeometry().topLeft() == QPoint(450, 170);
    })) << panelGeometry();

    // Alerts open the panel; a click on the bar's background gives the list the keyboard.
    for (int n = 1; n <= 5; ++n) {
        m_fake.postMessage(u"C1"_s,
            { { u"bot_id"_s, u"B0ALERTS"_s }, { u"text"_s, u"Disk full on db-%1"_s.arg(n) },
                { u"ts"_s, u"1700000000.00010%1"_s.arg(n) } });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return queuedIds().size() == 5; }, 10000));
    // Activated by the window manager: mutter at times ignores a click on a window while a dock
    // has the focus.
    x(u"xdotool"_s, { u"windowactivate"_s, u"--sync"_s, other });
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == other; }, 5000)) << windows();
    click(panelGeometry().topLeft() + QPoint(200, collapsed.height() / 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == m_window; }, 5000)) << windows();
    EXPECT_TRUE(keyboardReachesTheList()) << m_log.toStdString();

    // The gear at the bar's right end opens Settings.
    click(panelGeometry().topLeft() + QPoint(320 - 14, collapsed.height() / 2));
    const QString settings = waitForWindow(u"^Halyard Settings$"_s);
    ASSERT_FALSE(settings.isEmpty()) << m_log.toStdString();
    expectDesktopIdentity(settings);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == settings; }, 5000));
    const QRect placed = geometry(settings);
    if (manager.noMinimising.isEmpty()) {
        x(u"xdotool"_s, { u"windowminimize"_s, settings });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !isShown(settings); }, 5000));
        launchAgain();
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return isShown(settings) && geometry(settings) == placed && activeWindow() == settings;
        })) << geometry(settings);
    } else {
        std::cout << "Not minimised: " << manager.noMinimising.toStdString() << std::endl;
    }
    // From behind the window the user clicked last.
    x(u"xdotool"_s, { u"windowactivate"_s, "--sync"_L1, other });
    click(geometry(other).topLeft() + QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == other; }, 5000)) << windows();
    launchAgain();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return activeWindow() == settings && isAbove(settings, other); }, 5000))
        << activeWindow().toStdString();

    // The shortcut lends the keyboard to the list; Escape gives it back to Settings.
    for (const QString& variable :
        { QString(), u"DESKTOP_STARTUP_ID"_s, u"XDG_ACTIVATION_TOKEN"_s }) {
        SCOPED_TRACE(variable.toStdString());
        // Stamped by the launcher with the time of the user's click that started it.
        const QString id
            = u"launcher/halyard/%1-0-host_TIME%2"_s.arg(variable.size()).arg(serverTime());
        ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == settings; }, 5000));
        EXPECT_EQ(run({ u"--focus"_s }, { variable, id }).first, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return focusedWindow() == m_window; }, 5000))
            << focusedWindow().toStdString() << " panel " << m_window.toStdString();
        EXPECT_TRUE(keyboardReachesTheList()) << m_log.toStdString();
        x(u"xdotool"_s, { u"key"_s, u"Escape"_s });
        EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == settings; }, 5000))
            << activeWindow().toStdString();
    }

    ::kill(pid_t(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(10000)) << m_log.toStdString();
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0) << m_log.toStdString();
    m_other.kill();
    m_other.waitForFinished();
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowManagerTest, ::testing::ValuesIn(kWindowManagers),
    [](const ::testing::TestParamInfo<WindowManager>& row) { return row.param.name; });

// For those whose status-bar module and banners are enough, by the option or the preference:
// banners show, and no window shows until a second launch asks for Settings.
TEST_F(DesktopProgramTest, WithoutThePanelOnlySettingsShowsAndOnlyWhenAskedFor)
{
    ASSERT_NO_FATAL_FAILURE(startWindowManager());
    if (IsSkipped())
        return;
    test::FakeNotificationServer banners;
    ASSERT_TRUE(banners.registerOn(QDBusConnection::sessionBus()));
    for (const bool byOption : { true, false }) {
        SCOPED_TRACE(byOption ? "--no-panel" : "behavior.showPanel");
        PreferenceStore(m_home.filePath(u"config/Halyard"_s))
            .setBool(u"behavior.showPanel"_s, byOption);
        m_log.clear();
        start(byOption ? QStringList { u"--no-panel"_s } : QStringList {});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_log.contains(u"slack: Connection established"_s); }, 10000))
            << m_log.toStdString();
        const QString text = u"Disk full %1"_s.arg(byOption);
        m_fake.postMessage(u"C1"_s,
            { { u"bot_id"_s, u"B0ALERTS"_s }, { u"text"_s, text },
                { u"ts"_s, u"1700000000.00010%1"_s.arg(byOption) } });
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::ranges::any_of(
                    banners.notifications, [&](const auto& banner) { return banner.body == text; });
            },
            10000))
            << m_log.toStdString();
        EXPECT_EQ(run({ u"ack"_s, u"--all"_s }).first, 0); // the next round's alert is no repeat
        EXPECT_TRUE(x(u"xdotool"_s, { u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Halyard"_s })
                        .isEmpty());
        launchAgain();
        EXPECT_FALSE(waitForWindow(u"^Halyard Settings$"_s).isEmpty()) << m_log.toStdString();
        EXPECT_TRUE(
            x(u"xdotool"_s, { u"search"_s, u"--onlyvisible"_s, u"--name"_s, u"^Halyard$"_s })
                .isEmpty());
        ::kill(pid_t(m_program.processId()), SIGTERM);
        ASSERT_TRUE(m_program.waitForFinished(10000)) << m_log.toStdString();
    }
    QDBusConnection::sessionBus().unregisterService(u"org.freedesktop.Notifications"_s);
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

    // With no other copy on the bus, the commands reach the demo's queue. Rows, not alerts: the
    // demo's repeats fold and its teammates clear some meanwhile.
    const auto [listed, list] = run({ u"list"_s });
    const QStringList rows = list.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(listed == 0 && !rows.isEmpty()) << list.toStdString();
    EXPECT_EQ(run({ u"ack"_s, rows.value(0).section(u'\t', 0, 0) }).first, 0);
    EXPECT_TRUE(run({ u"status"_s, u"--json"_s }).second.contains(u"\"running\":true"_s));
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
// program.
TEST_F(DesktopProgramTest, FirstRunOpensSettingsWhereSavedTokensConnect)
{
    ASSERT_TRUE(QCoro::waitFor(deleteSlackTokens(&m_keychain)).has_value());
    start();
    // Beside the panel, 8 px away.
    const QString settings = waitForWindow(u"^Halyard Settings$"_s);
    ASSERT_FALSE(settings.isEmpty()) << m_log.toStdString();
    EXPECT_EQ(geometry(settings).topLeft(), QPoint(8 + 320 + 8, 0));
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
