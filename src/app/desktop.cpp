#include "app/desktop.h"

#include "app/appcore.h"
#include "app/headless.h"
#include "app/version.h"
#include "common/logging.h"
#include "slack/slackservice.h"
#include "slack/webapi/slackwebapi.h"
#include "ui/desktoppanel.h"
#include "ui/floatingpanelcontroller.h"
#include "ui/settingswindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kBusName = u"com.corvane.Halyard"_s;
const QString kObjectPath = u"/com/corvane/Halyard"_s;
constexpr int kRemoteCallTimeoutMs = 5000;

// What a second copy of the desktop program may ask of the running one on the session bus.
class RemoteControl : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.corvane.Halyard")
public:
    using QObject::QObject;

public slots:
    Q_SCRIPTABLE void ShowSettings() { emit showSettingsRequested(); }

signals:
    void showSettingsRequested();
};

// The panel, the settings window (made when first asked for) and the bus name that lets a
// second launch bring that window up.
class DesktopFrontEnd : public QObject {
public:
    explicit DesktopFrontEnd(AppCore& core)
        : m_core(core)
    {
        const DesktopPanel::Stores stores { core.alertStore(), core.settingsStore(),
            core.directory(), core.preferences() };
        m_panel = std::make_unique<DesktopPanel>(stores, core.systemEvents(),
            [&core](const Alert& alert) { core.slackService().acknowledge(alert); });
        connect(m_panel.get(), &DesktopPanel::settingsRequested, this,
            [this] { showSettings(std::nullopt); });
        connect(&core, &AppCore::setupNeeded, this,
            [this] { showSettings(SettingsWindow::Tab::authentication); });
        connect(&m_remote, &RemoteControl::showSettingsRequested, this,
            [this] { showSettings(std::nullopt); });
        publishOnBus();
    }

    ~DesktopFrontEnd() override
    {
        if (m_published)
            QDBusConnection::sessionBus().unregisterService(kBusName);
    }

private:
    void publishOnBus()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_published = bus.isConnected()
            && bus.registerObject(kObjectPath, &m_remote, QDBusConnection::ExportScriptableSlots)
            && bus.registerService(kBusName);
        if (!m_published)
            qCInfo(lcApp, "Not on the session bus; a second launch cannot bring up Settings");
    }

    void showSettings(std::optional<SettingsWindow::Tab> tab)
    {
        if (!m_settings)
            m_settings = makeSettingsWindow();
        if (tab)
            m_settings->selectTab(*tab);
        if (!m_settings->isVisible())
            m_panel->controller().windowActivated(m_settings.get());
        m_settings->show();
        m_settings->raise();
        m_settings->activateWindow();
    }

    std::unique_ptr<SettingsWindow> makeSettingsWindow();

    AppCore& m_core;
    RemoteControl m_remote;
    bool m_published = false;
    std::unique_ptr<DesktopPanel> m_panel;
    std::unique_ptr<SettingsWindow> m_settings;
};

std::unique_ptr<SettingsWindow> DesktopFrontEnd::makeSettingsWindow()
{
    SlackControls slack;
    slack.disconnect = [this] { m_core.slackService().disconnect(); };
    slack.connect = [this] { m_core.slackService().connect(); };
    slack.testToken
        = SlackControls::webApiTokenTester(&m_core.network(), SlackWebAPI::defaultBaseUrl());
    ProgramInfo program;
    program.shortVersion = QString::fromLatin1(kVersion);
    program.buildNumber = QString::fromLatin1(kBuildNumber);
    // The login entry starts this very program, wherever it is installed.
    program.executable = QCoreApplication::applicationFilePath();
    return std::make_unique<SettingsWindow>(m_core.settingsStore(), slack, program);
}

// Asks the copy that holds the bus name to show its settings window.
bool showSettingsOfRunningCopy()
{
    const QDBusMessage call
        = QDBusMessage::createMethodCall(kBusName, kObjectPath, kBusName, u"ShowSettings"_s);
    const QDBusMessage reply
        = QDBusConnection::sessionBus().call(call, QDBus::Block, kRemoteCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

int runDesktop(const QString& keychainService, const QString& platformNote)
{
    if (!platformNote.isEmpty())
        qCInfo(lcApp, "%s", qUtf8Printable(platformNote));
    // The settings window comes and goes; the panel is what keeps the program alive.
    QApplication::setQuitOnLastWindowClosed(false);
    return runProgram(
        keychainService,
        [](AppCore& core) -> std::unique_ptr<QObject> {
            return std::make_unique<DesktopFrontEnd>(core);
        },
        showSettingsOfRunningCopy);
}

} // namespace halyard

#include "desktop.moc"
