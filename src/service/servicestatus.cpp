#include "service/servicestatus.h"

#include "common/servicemanager.h"
#include "queue/alertstore.h"
#include "service/appcore.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
// Alerts turn overdue with time alone; a minute late is soon enough for a status line.
constexpr int kAgeingCheckMs = 60 * 1000;

} // namespace

ServiceStatus::ServiceStatus(AppCore& core, QObject* parent)
    : QObject(parent)
    , m_core(core)
{
    SettingsStore& settings = core.settingsStore();
    connect(&settings, &SettingsStore::connectionStateChanged, this, &ServiceStatus::update);
    connect(&settings, &SettingsStore::teamNameChanged, this, &ServiceStatus::update);
    connect(&core.alertStore(), &AlertStore::alertsChanged, this, &ServiceStatus::update);
    connect(&core, &AppCore::tokenStoreUnavailable, this, [this] {
        m_waitingForStore = true;
        update();
    });
    connect(&core, &AppCore::setupNeeded, this, [this] {
        m_waitingForStore = false;
        m_setupNeeded = true;
        update();
    });
    connect(&m_ageing, &QTimer::timeout, this, &ServiceStatus::update);
    m_ageing.start(kAgeingCheckMs);
    // The lock is held and the queue loaded: what follows is the service at work.
    notifyServiceManager("READY=1");
    update();
}

ServiceStatus::~ServiceStatus()
{
    notifyServiceManager("STOPPING=1");
}

QString ServiceStatus::text()
{
    const SettingsStore& settings = m_core.settingsStore();
    const ConnectionState& state = settings.connectionState();
    if (state.kind() != ConnectionState::Kind::disconnected)
        m_waitingForStore = m_setupNeeded = false;
    switch (state.kind()) {
    case ConnectionState::Kind::connected: {
        m_wasConnected = true;
        const AlertStore& alerts = m_core.alertStore();
        const auto stages = alerts.stages(currentReferenceTime());
        const auto overdue = std::count(stages.begin(), stages.end(), AgeStage::overdue);
        const QString team = settings.teamName().value_or(u"Slack"_s);
        const auto count
            = int(std::min<qsizetype>(alerts.alerts().size(), std::numeric_limits<int>::max()));
        return tr("Connected to %1 · %n alerts, %2 overdue", "", count)
            .arg(team, QString::number(overdue));
    }
    case ConnectionState::Kind::connecting:
        return m_wasConnected ? tr("Reconnecting…") : tr("Connecting…");
    case ConnectionState::Kind::error:
        return tr("Not connected: %1").arg(problemText(state.problem()));
    case ConnectionState::Kind::disconnected:
        break;
    }
    if (m_waitingForStore)
        return tr("Waiting for the keyring");
    if (m_setupNeeded)
        return tr("No tokens stored: run \"halyard tokens set\"");
    return tr("Not connected");
}

void ServiceStatus::update()
{
    const QString line = text();
    if (line == m_sent)
        return;
    m_sent = line;
    // One line: a server's error text must not start a second assignment.
    QString single = line;
    single.replace(u'\n', u' ');
    notifyServiceManager("STATUS=" + single.toUtf8());
}

} // namespace halyard
