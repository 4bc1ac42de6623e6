#include "app/queueadaptor.h"

#include "app/appcore.h"
#include "queue/alertstore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/slackservice.h"
#include "slack/text/slacktext.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kInterface = u"com.corvane.Halyard.Queue"_s;
const QString kUnknownAlert = u"com.corvane.Halyard.Error.UnknownAlert"_s;

// Never sooner than this after the last check: ages are compared in whole seconds anyway.
constexpr double kMinStageCheckSeconds = 1;

QString stageName(AgeStage stage)
{
    switch (stage) {
    case AgeStage::fresh:
        return u"fresh"_s;
    case AgeStage::aging:
        return u"aging"_s;
    case AgeStage::stale:
        return u"stale"_s;
    case AgeStage::overdue:
        return u"overdue"_s;
    }
    return {};
}

} // namespace

QString healthName(QueueHealth health)
{
    switch (health) {
    case QueueHealth::allClear:
        return u"all-clear"_s;
    case QueueHealth::hasAlerts:
        return u"has-alerts"_s;
    case QueueHealth::halfAged:
        return u"half-aged"_s;
    case QueueHealth::mostlyAged:
        return u"mostly-aged"_s;
    }
    return {};
}

QueueAdaptor::QueueAdaptor(AppCore& core, QObject* busObject)
    : QDBusAbstractAdaptor(busObject)
    , m_core(core)
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    setAutoRelaySignals(false);
    m_nextStage.setSingleShot(true);
    connect(&m_nextStage, &QTimer::timeout, this, [this] { refresh(Announce::summaryChanges); });
    const auto always = [this] { refresh(Announce::always); };
    connect(&core.alertStore(), &AlertStore::alertsChanged, this, always);
    connect(&core.alertStore(), &AlertStore::agingPolicyChanged, this, always);
    connect(&core.settingsStore(), &SettingsStore::connectionStateChanged, this, always);
    refresh(Announce::never);
}

QString QueueAdaptor::health() const
{
    return healthName(m_health);
}

QString QueueAdaptor::connectionState() const
{
    return m_connection;
}

void QueueAdaptor::refresh(Announce announce)
{
    const AlertStore& store = m_core.alertStore();
    const ReferenceTime now = currentReferenceTime();
    const AgingPolicy& policy = store.agingPolicy();
    QList<AgeStage> stages;
    stages.reserve(store.alerts().size());
    // The next moment an alert enters another stage: health and the overdue count move then.
    double nextChange = std::numeric_limits<double>::infinity();
    for (const Alert& alert : store.alerts()) {
        const double age = now - alert.receivedAt;
        stages.append(policy.stageForAge(age));
        for (const double threshold : { policy.freshUntil, policy.agingUntil, policy.staleUntil })
            if (age < threshold)
                nextChange = std::min(nextChange, threshold - age);
    }
    m_nextStage.stop();
    if (std::isfinite(nextChange))
        m_nextStage.start(int(std::ceil(std::max(nextChange, kMinStageCheckSeconds)) * 1000));

    QVariantMap changed;
    const auto count = int(std::min<qsizetype>(stages.size(), std::numeric_limits<int>::max()));
    if (count != m_count)
        changed.insert(u"Count"_s, m_count = count);
    const auto overdue = int(std::count(stages.begin(), stages.end(), AgeStage::overdue));
    if (overdue != m_overdue)
        changed.insert(u"OverdueCount"_s, m_overdue = overdue);
    if (const QueueHealth health = queueHealthFromStages(stages); health != m_health) {
        m_health = health;
        changed.insert(u"Health"_s, healthName(health));
    }
    QString connection;
    switch (m_core.settingsStore().connectionState().kind()) {
    case ConnectionState::Kind::connected:
        connection = u"connected"_s;
        break;
    case ConnectionState::Kind::connecting:
        connection = u"connecting"_s;
        break;
    case ConnectionState::Kind::disconnected:
        connection = u"disconnected"_s;
        break;
    case ConnectionState::Kind::error:
        connection = u"error"_s;
        break;
    }
    if (connection != m_connection)
        changed.insert(u"ConnectionState"_s, m_connection = connection);

    if (announce == Announce::never)
        return;
    // The demo's copy is not on the bus: its changes are nobody's business there.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.objectRegisteredAt(u"/com/corvane/Halyard"_s) != parent())
        return;
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(u"/com/corvane/Halyard"_s,
            u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
        signal << kInterface << changed << QStringList();
        bus.send(signal);
    }
    // The alerts may change while every summary stays as it was: scripts listing them hear it.
    if (!changed.isEmpty() || announce == Announce::always)
        emit Changed();
}

QList<QVariantMap> QueueAdaptor::List()
{
    const SlackDirectory& directory = m_core.directory();
    const ReferenceTime now = currentReferenceTime();
    const AgingPolicy& policy = m_core.alertStore().agingPolicy();
    QList<QVariantMap> out;
    out.reserve(m_core.alertStore().alerts().size());
    for (const Alert& alert : m_core.alertStore().alerts()) {
        const QString author
            = alert.userId ? directory.userName(*alert.userId).value_or(*alert.userId) : QString();
        out.append({ { u"id"_s, alert.id }, { u"channelId"_s, alert.channelId },
            { u"channel"_s, directory.channelName(alert.channelId).value_or(alert.channelId) },
            { u"author"_s, author }, { u"text"_s, SlackText::plainText(alert.text) },
            { u"received"_s, alert.receivedAt + double(kUnixToReferenceOffset) },
            { u"stage"_s, stageName(policy.stageForAge(now - alert.receivedAt)) } });
    }
    return out;
}

namespace {

void replyWithError(const QDBusMessage& call, const QString& name, const QString& message)
{
    call.setDelayedReply(true);
    QDBusConnection::sessionBus().send(call.createErrorReply(name, message));
}

} // namespace

const Alert* QueueAdaptor::find(const QString& id, const QDBusMessage& call)
{
    if (id.size() <= kMaxIdLength && m_core.alertStore().contains(id)) {
        const auto& alerts = m_core.alertStore().alerts();
        const auto it = std::ranges::find(alerts, id, &Alert::id);
        if (it != alerts.end())
            return &*it;
    }
    replyWithError(call, kUnknownAlert, tr("No alert with this id is waiting."));
    return nullptr;
}

void QueueAdaptor::Ack(const QString& id, const QDBusMessage& call)
{
    if (const Alert* alert = find(id, call))
        m_core.slackService().acknowledge(Alert(*alert));
}

int QueueAdaptor::AckAll()
{
    // A copy: each Ack takes its alert out of the store's list.
    const QList<Alert> alerts = m_core.alertStore().alerts();
    for (const Alert& alert : alerts)
        m_core.slackService().acknowledge(alert);
    return int(std::min<qsizetype>(alerts.size(), std::numeric_limits<int>::max()));
}

void QueueAdaptor::Open(const QString& id, const QDBusMessage& call)
{
    const Alert* alert = find(id, call);
    if (!alert)
        return;
    if (!m_open || !m_open(*alert))
        replyWithError(call, u"org.freedesktop.DBus.Error.NotSupported"_s,
            tr("This Halyard has no display to open the message on."));
}

} // namespace halyard
