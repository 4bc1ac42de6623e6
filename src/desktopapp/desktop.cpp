#include "desktopapp/desktop.h"

#include "app/headless.h"
#include "bus/queueadaptor.h"
#include "bus/remotecontrol.h"
#include "common/logging.h"
#include "desktopapp/webapitokentester.h"
#include "freedesktop/notificationservice.h"
#include "freedesktop/updatechecker.h"
#include "freedesktop/updatereminderbridge.h"
#include "history/historyrecorder.h"
#include "service/appcore.h"
#include "service/version.h"
#include "settings/settingsstore.h"
#include "settings/updatereminderstore.h"
#include "slack/slackservice.h"
#include "translations/translations.h"
#include "ui/common/activation.h"
#include "ui/common/focusreturn.h"
#include "ui/common/linkopener.h"
#include "ui/history/historyview.h"
#include "ui/panel/desktoppanel.h"
#include "ui/panel/displayplatform.h"
#include "ui/panel/floatingpanel.h"
#include "ui/panel/floatingpanelcontroller.h"
#include "ui/queue/panelactions.h"
#include "ui/queue/panelrootview.h"
#include "ui/settings/settingswindow.h"
#include "ui/updates/updatedialog.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QIcon>
#include <QPointer>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The panel, the settings window (made when first asked for), the update reminders and the bus
// name that lets a second launch bring the settings window up.
class DesktopFrontEnd : public QObject {
public:
    DesktopFrontEnd(AppCore& core, bool demo, bool withPanel)
        : m_core(core)
        , m_demo(demo)
        , m_updates(core.preferences())
        , m_updateBridge(m_updates)
        , m_updateChecker(core.network(), core.preferences(),
              QUrl(QString::fromUtf8(kUpdateFeedUrl)), QString::fromLatin1(kVersion))
        , m_remote(core)
    {
        m_updateBridge.follow(m_updateChecker);
        if (withPanel)
            makePanel();
        else
            qCInfo(lcApp, "Running without the panel; a second launch opens Settings");
        connect(&core, &AppCore::setupNeeded, this,
            [this] { showSettings(SettingsWindow::Tab::authentication, launchActivationToken()); });
        connect(&m_remote, &DesktopRemoteControl::showSettingsRequested, this,
            [this](const QString& token) { showSettings(std::nullopt, token); });
        // A banner opens its message the way its row does.
        if (NotificationService* banners = core.notificationService()) {
            connect(banners, &NotificationService::openRequested, this,
                [this](const Alert& alert, const QString& activationToken) {
                    m_opener.openAlert(m_core.settingsStore(), alert, activationToken);
                });
        }
        // A script's Open is a click on the alert's row.
        m_remote.queue().setOpenHandler([this](const Alert& alert) {
            m_opener.openAlert(m_core.settingsStore(), alert);
            return true;
        });
        connect(
            &m_remote, &DesktopRemoteControl::focusRequested, this, [this](const QString& token) {
                if (!m_panel) {
                    qCInfo(lcApp, "Asked to focus the panel, which is off");
                    return;
                }
                m_panel->content().takeKeyboardFocus();
                activateWithToken(&m_panel->window(), token);
            });
        // The demo answers the commands and status bars too, until a real copy wants the name.
        m_published
            = publishOnSessionBus(&m_remote, demo ? BusName::handedToRealCopy : BusName::kept);
        if (m_published && demo) {
            connect(QDBusConnection::sessionBus().interface(),
                &QDBusConnectionInterface::serviceUnregistered, this, [](const QString& name) {
                    if (name == kBusName)
                        qCInfo(lcApp,
                            "Another copy took %s on the session bus; commands reach it "
                            "now",
                            qUtf8Printable(name));
                });
        }
        m_updateChecker.start();
    }

    ~DesktopFrontEnd() override
    {
        delete m_updateDialog;
        if (m_published)
            unpublishFromSessionBus();
    }

private:
    void makePanel()
    {
        const DesktopPanel::Stores stores { m_core.alertStore(), m_core.settingsStore(),
            m_core.directory(), m_core.preferences(), m_updates };
        connect(&m_panelActions, &PanelActions::acknowledgeRequested, this,
            [this](const Alert& alert, AckCause cause) { m_core.acknowledgeRow(alert, cause); });
        connect(&m_panelActions, &PanelActions::openRequested, this,
            [this](const Alert& alert) { m_opener.openAlert(m_core.settingsStore(), alert); });
        connect(&m_panelActions, &PanelActions::linkRequested, this,
            [this](const QUrl& url) { m_opener.openMessageLink(url); });
        connect(&m_panelActions, &PanelActions::snoozeRequested, this,
            [this](const Alert& alert, double until) { m_core.snoozeRow(alert.id, until); });
        connect(&m_panelActions, &PanelActions::muteRequested, this,
            [this](const Alert& alert, double until) { m_core.muteLike(alert.id, until); });
        connect(&m_panelActions, &PanelActions::openUpdateRequested, this,
            [this] { showUpdateDialog(); });
        m_panel = std::make_unique<DesktopPanel>(stores, m_core.systemEvents(), m_panelActions);
        connect(m_panel.get(), &DesktopPanel::settingsRequested, this,
            [this] { showSettings(std::nullopt); });
        connect(m_panel.get(), &DesktopPanel::historyRequested, this, [this] { showHistory(); });
        m_focusReturn = std::make_unique<FocusReturn>(&m_panel->window());
        connect(&m_panel->content(), &PanelRootView::keyboardReleased, this,
            [this] { m_focusReturn->handBack(); });
        if (m_demo)
            m_panel->setDemo(true);
    }

    void showSettings(std::optional<SettingsWindow::Tab> tab, const QString& activationToken = {})
    {
        if (!m_settings) {
            m_settings = makeSettingsWindow();
            if (m_panel)
                m_panel->setSettingsWindow(m_settings.get());
        }
        if (tab)
            m_settings->selectTab(*tab);
        if (!m_settings->isVisible() && m_panel)
            m_panel->controller().windowActivated(m_settings.get());
        activateWithToken(m_settings.get(), activationToken);
    }

    std::unique_ptr<SettingsWindow> makeSettingsWindow();

    void showHistory()
    {
        if (!m_history) {
            m_history
                = std::make_unique<HistoryView>(m_core.profile().dataFolder() + u"/history.jsonl"_s,
                    [this] { return m_core.settingsStore().agingPolicy(); });
        }
        // What this turn recorded goes to the file first; never waited for here, as the writer
        // may be busy trimming a large file at start.
        if (auto* recorder = m_core.historyRecorder())
            recorder->handOver();
        if (!m_history->isVisible() && m_panel)
            m_panel->controller().windowActivated(m_history.get());
        activateWithToken(m_history.get(), {});
        m_history->reload();
    }

    // The user asked for the update (the row or "Check for Updates…"): the dialog comes to the
    // front at once and shows the check's outcome when it arrives.
    void showUpdateDialog()
    {
        if (!m_updateDialog) {
            m_updateDialog = new UpdateDialog(QString::fromLatin1(kVersion));
            connect(m_updateDialog, &QDialog::finished, &m_updateBridge,
                &UpdateReminderBridge::willFinishUpdateSession);
            connect(m_updateDialog, &QDialog::finished, m_updateDialog, &QObject::deleteLater);
        }
        m_updateDialog->showChecking();
        m_updateDialog->show();
        m_updateDialog->raise();
        m_updateDialog->activateWindow();
        m_updateBridge.didReceiveUserAttention();
        showUpdateCheck(m_updateDialog);
    }

    QCoro::Task<> showUpdateCheck(QPointer<UpdateDialog> dialog)
    {
        const UpdateChecker::Result result = co_await m_updateChecker.checkNow();
        if (!dialog)
            co_return;
        if (!result)
            dialog->showError(problemText(result.error()));
        else if (*result)
            dialog->showUpdate(
                (*result)->displayVersion, (*result)->downloadPage, (*result)->releaseNotes);
        else
            dialog->showNewest();
    }

    AppCore& m_core;
    bool m_demo;
    UpdateReminderStore m_updates;
    UpdateReminderBridge m_updateBridge;
    UpdateChecker m_updateChecker;
    QPointer<UpdateDialog> m_updateDialog;
    DesktopRemoteControl m_remote;
    LinkOpener m_opener;
    bool m_published = false;
    // What the panel's rows and menus ask for; outlives the panel.
    PanelActions m_panelActions;
    std::unique_ptr<DesktopPanel> m_panel;
    std::unique_ptr<FocusReturn> m_focusReturn;
    std::unique_ptr<SettingsWindow> m_settings;
    std::unique_ptr<HistoryView> m_history;
};

std::unique_ptr<SettingsWindow> DesktopFrontEnd::makeSettingsWindow()
{
    SlackControls slack;
    slack.disconnect = [this] { m_core.slackService().disconnect(); };
    slack.connect = [this] { m_core.slackService().connect(); };
    slack.testToken = webApiTokenTester(&m_core.network(), m_core.profile().slackApiUrl);
    ProgramInfo program;
    program.shortVersion = QString::fromLatin1(kVersion);
    program.buildNumber = QString::fromLatin1(kBuildNumber);
    program.autostartFolder = m_core.profile().autostartFolder();
    // The login entry starts this very program, wherever it is installed.
    program.executable = QCoreApplication::applicationFilePath();
    program.checksForUpdates = m_updateChecker.isEnabled();
    program.demo = m_demo;
    auto window = std::make_unique<SettingsWindow>(m_core.settingsStore(), slack, program);
    connect(window.get(), &SettingsWindow::checkForUpdatesRequested, this,
        &DesktopFrontEnd::showUpdateDialog);
    window->showMutes(m_core.mutes());
    return window;
}

// Asks the copy that holds the bus name to show its settings window.
bool showSettingsOfRunningCopy()
{
    return callRunningCopy(u"ShowSettings"_s, { launchActivationToken() }).type()
        == QDBusMessage::ReplyMessage;
}

} // namespace

int runDesktop(std::unique_ptr<KeychainService> keychain, const Profile& profile,
    const QString& platformNote, bool demo, bool withoutPanel)
{
    if (!platformNote.isEmpty())
        qCInfo(lcApp, "%s", qUtf8Printable(platformNote));
    // The settings window comes and goes; the panel is what keeps the program alive.
    QApplication::setQuitOnLastWindowClosed(false);
    return runProgram(
        std::move(keychain), profile,
        [demo, withoutPanel](AppCore& core) -> std::unique_ptr<QObject> {
            const bool withPanel = !withoutPanel && core.settingsStore().showPanel();
            return std::make_unique<DesktopFrontEnd>(core, demo, withPanel);
        },
        // The demo's data folder is its own: no other copy can hold it.
        demo ? ReachRunningCopy() : showSettingsOfRunningCopy);
}

namespace {

std::expected<std::unique_ptr<QCoreApplication>, int> makeDesktopApplication(
    int& argc, char** argv, QString& platformNote)
{
    // Before Qt's display connection takes it out of the environment.
    launchActivationToken();
    std::unique_ptr<QCoreApplication> app;
    const bool userChosePlatform = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const auto platform = chooseDisplayPlatform();
    if (!platform) {
        // A message for a person, so in their language: translators need an application
        // object, and without a display only a core one can be made.
        const QCoreApplication core(argc, argv);
        installTranslations();
        QTextStream(stderr) << QCoreApplication::translate(
            "halyard::DisplayPlatform", platform.error().message)
                            << Qt::endl;
        return std::unexpected(platform.error().exitStatus);
    }
    platformNote = *platform;
    app = std::make_unique<QApplication>(argc, argv);
    // Who the windows belong to, for docks, the window switcher and notification settings:
    // the desktop entry's name (the Wayland app id) and its icon. The windows' WM_CLASS is
    // "Halyard", the application name, as the entry's StartupWMClass says.
    QGuiApplication::setDesktopFileName(u"com.corvane.Halyard"_s);
    QApplication::setWindowIcon(
        QIcon::fromTheme(u"com.corvane.Halyard"_s, QIcon(u":/icons/com.corvane.Halyard.svg"_s)));
    // Qt has read the choice; the programs that Halyard opens make their own.
    if (!userChosePlatform)
        qunsetenv("QT_QPA_PLATFORM");

    return app;
}

} // namespace

const DesktopEntry& desktopEntry()
{
    static const DesktopEntry entry { makeDesktopApplication,
        [](std::unique_ptr<KeychainService> keychain, const Profile& profile,
            const QString& platformNote, bool withoutPanel) {
            return runDesktop(std::move(keychain), profile, platformNote, false, withoutPanel);
        },
        runDemo };
    return entry;
}

} // namespace halyard
