#include "bus/queueadaptor.h"

#include "bus/busnames.h"
#include "common/servertext.h"
#include "queue/alertfolding.h"
#include "queue/alertstore.h"
#include "queue/mutelist.h"
#include "service/appcore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/slackservice.h"
#include "slack/text/slacktext.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Never sooner than this after the last check: ages are compared in whole seconds anyway.
constexpr double kMinStageCheckSeconds = 1;

} // namespace

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
    connect(&core.alertStore(), &AlertStore::snoozedChanged, this, always);
    connect(&core.alertStore(), &AlertStore::foldingChanged, this, always);
    connect(&core.alertStore(), &AlertStore::agingPolicyChanged, this, always);
    connect(&core.settingsStore(), &SettingsStore::connectionStateChanged, this, always);
    refresh(Announce::never);
}

namespace {

int clampedCount(qsizetype n)
{
    return int(std::min<qsizetype>(n, std::numeric_limits<int>::max()));
}

// An upper bound of what a string adds to a message: UTF-8 takes at most three bytes per UTF-16
// unit, plus its length and padding.
qsizetype wireSize(const QString& text)
{
    return 3 * text.size() + 8;
}

// Markup shows as less text than it takes, rarely by a factor near this; only this much of it is
// read, so a huge message costs no more than a long one.
constexpr qsizetype kListMarkupScan = 8 * QueueAdaptor::kListTextLength;

// Mentions read as the panel shows them, with the names the directory has.
QString listedText(const QString& markup, const SlackDirectory& directory)
{
    qsizetype scan = std::min(markup.size(), kListMarkupScan);
    if (scan < markup.size() && markup.at(scan - 1).isHighSurrogate())
        --scan;
    const QString plain = SlackText::plainText(
        QStringView(markup).first(scan), { &directory.userNames(), &directory.channelNames() });
    // Cut as markup already: marked, however short its plain text.
    return cutText(scan == markup.size() ? plain : plain + u'…', QueueAdaptor::kListTextLength);
}

} // namespace

int QueueAdaptor::count() const
{
    return clampedCount(m_core.alertStore().alerts().size());
}

int QueueAdaptor::snoozedCount() const
{
    return clampedCount(m_core.alertStore().snoozed().size());
}

int QueueAdaptor::overdueCount() const
{
    return summary().overdue;
}

QString QueueAdaptor::health() const
{
    return healthWord(summary().health);
}

QString QueueAdaptor::connectionState() const
{
    return connectionWord(m_core.settingsStore().connectionState().kind());
}

QueueAdaptor::Summary QueueAdaptor::summary() const
{
    const QList<AgeStage> stages = m_core.alertStore().stages(currentReferenceTime());
    return { clampedCount(stages.size()),
        clampedCount(std::count(stages.begin(), stages.end(), AgeStage::overdue)),
        queueHealthFromStages(stages), connectionState(), snoozedCount() };
}

void QueueAdaptor::refresh(Announce announce)
{
    const AlertStore& store = m_core.alertStore();
    const ReferenceTime now = currentReferenceTime();
    const AgingPolicy& policy = store.agingPolicy();
    // The next moment an alert enters another stage: health and the overdue count move then.
    double nextChange = std::numeric_limits<double>::infinity();
    for (const Alert& alert : store.alerts()) {
        const double age = now - alert.receivedAt;
        for (const double threshold : { policy.freshUntil, policy.agingUntil, policy.staleUntil })
            if (age < threshold)
                nextChange = std::min(nextChange, threshold - age);
    }
    m_nextStage.stop();
    if (std::isfinite(nextChange))
        m_nextStage.start(int(std::ceil(std::max(nextChange, kMinStageCheckSeconds)) * 1000));

    const Summary current = summary();
    QVariantMap changed;
    if (current.count != m_announced.count)
        changed.insert(queueproperty::count.toString(), current.count);
    if (current.overdue != m_announced.overdue)
        changed.insert(queueproperty::overdueCount.toString(), current.overdue);
    if (current.health != m_announced.health)
        changed.insert(queueproperty::health.toString(), healthWord(current.health));
    if (current.snoozed != m_announced.snoozed)
        changed.insert(queueproperty::snoozedCount.toString(), current.snoozed);
    if (current.connection != m_announced.connection)
        changed.insert(queueproperty::connectionState.toString(), current.connection);
    m_announced = current;

    if (announce == Announce::never)
        return;
    // Only the copy that holds the program's object speaks on the bus.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.objectRegisteredAt(kObjectPath.toString()) != parent())
        return;
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kObjectPath.toString(), u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
        signal << kQueueInterface.toString() << changed << QStringList();
        bus.send(signal);
    }
    // The alerts may change while every summary stays as it was: scripts listing them hear it.
    if (!changed.isEmpty() || announce == Announce::always)
        emit Changed();
}

QVariantMap QueueAdaptor::listed(const Alert& alert, ReferenceTime now) const
{
    const SlackDirectory& directory = m_core.directory();
    const QString author = alert.userId
        ? cutText(directory.userName(*alert.userId).value_or(*alert.userId), kListNameLength)
        : QString();
    return { { u"id"_s, alert.id }, { u"channelId"_s, alert.channelId },
        { u"channel"_s,
            cutText(directory.channelName(alert.channelId).value_or(alert.channelId),
                kListNameLength) },
        { u"author"_s, author }, { u"text"_s, listedText(alert.text, directory) },
        { u"received"_s, alert.receivedAt + double(kUnixToReferenceOffset) },
        { u"stage"_s,
            stageWord(m_core.alertStore().agingPolicy().stageForAge(now - alert.receivedAt)) } };
}

int QueueAdaptor::bounded(QList<QVariantMap>& rows)
{
    qsizetype bytes = 0;
    qsizetype kept = 0;
    for (const QVariantMap& row : std::as_const(rows)) {
        qsizetype rowBytes = 0;
        for (auto it = row.begin(); it != row.end(); ++it) {
            rowBytes += wireSize(it.key()) + 16;
            if (it->metaType() == QMetaType::fromType<QString>())
                rowBytes += wireSize(it->toString());
            else if (it->metaType() == QMetaType::fromType<QStringList>())
                for (const QString& item : it->toStringList())
                    rowBytes += wireSize(item);
            else
                rowBytes += 8;
        }
        if (kept == kMaxListedAlerts || bytes + rowBytes > kMaxListBytes)
            break;
        bytes += rowBytes;
        ++kept;
    }
    const int leftOut = clampedCount(rows.size() - kept);
    rows.resize(kept);
    return leftOut;
}

QList<QVariantMap> QueueAdaptor::List(int& leftOut)
{
    const ReferenceTime now = currentReferenceTime();
    const AlertStore& store = m_core.alertStore();
    AlertFolding folding;
    const QList<FoldedRow> rows = folding.fold(store.alerts(), store.folding());
    QList<QVariantMap> out;
    out.reserve(std::min(rows.size(), kMaxListedAlerts + 1));
    for (const FoldedRow& row : rows) {
        if (out.size() > kMaxListedAlerts)
            break;
        QVariantMap map = listed(row.alert, now);
        map.insert(u"count"_s, clampedCount(row.count()));
        map.insert(u"members"_s, row.memberIds.mid(0, kMaxListedMembers));
        out.append(std::move(map));
    }
    bounded(out);
    // Counted in alerts, as before rows folded.
    qsizetype shownAlerts = 0;
    for (qsizetype i = 0; i < out.size(); ++i)
        shownAlerts += rows.at(i).count();
    leftOut = clampedCount(store.alerts().size() - shownAlerts);
    return out;
}

QList<QVariantMap> QueueAdaptor::ListSnoozed(int& leftOut)
{
    const ReferenceTime now = currentReferenceTime();
    QList<QVariantMap> out;
    for (const Alert& alert : m_core.alertStore().snoozed()) {
        if (out.size() > kMaxListedAlerts)
            break;
        QVariantMap map = listed(alert, now);
        map.insert(u"wake"_s, *alert.snoozedUntil + double(kUnixToReferenceOffset));
        map.insert(u"muted"_s, alert.muted);
        out.append(std::move(map));
    }
    bounded(out);
    leftOut = clampedCount(m_core.alertStore().snoozed().size() - out.size());
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
    replyWithError(call, kUnknownAlertError.toString(), tr("No alert with this id is waiting."));
    return nullptr;
}

void QueueAdaptor::Ack(const QString& id, const QDBusMessage& call)
{
    // A row's id acknowledges every alert folded into it, as its Ack button does.
    if (const Alert* alert = find(id, call))
        m_core.acknowledgeRow(Alert(*alert), AckCause::bus);
}

int QueueAdaptor::AckAll()
{
    // A copy: each Ack takes its alert out of the store's list.
    const QList<Alert> alerts = m_core.alertStore().alerts();
    for (const Alert& alert : alerts)
        m_core.slackService().acknowledge(alert, AckCause::acknowledgeAll);
    return int(std::min<qsizetype>(alerts.size(), std::numeric_limits<int>::max()));
}

namespace {

bool validSeconds(int seconds, const QDBusMessage& call)
{
    if (seconds > 0 && seconds <= QueueAdaptor::kMaxQuietSeconds)
        return true;
    replyWithError(call, u"org.freedesktop.DBus.Error.InvalidArgs"_s,
        QueueAdaptor::tr("The length must be between one second and a year."));
    return false;
}

double unixNow()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

} // namespace

int QueueAdaptor::Snooze(const QString& id, int seconds, const QDBusMessage& call)
{
    if (!validSeconds(seconds, call))
        return 0;
    const qsizetype count
        = id.size() <= kMaxIdLength ? m_core.snoozeRow(id, unixNow() + seconds) : 0;
    if (count == 0)
        replyWithError(
            call, kUnknownAlertError.toString(), tr("No alert with this id is waiting."));
    return clampedCount(count);
}

int QueueAdaptor::Unsnooze(const QString& id, const QDBusMessage& call)
{
    const qsizetype count = id.size() <= kMaxIdLength ? m_core.unsnoozeRow(id) : 0;
    if (count == 0)
        replyWithError(
            call, kUnknownAlertError.toString(), tr("No alert with this id is snoozed."));
    return clampedCount(count);
}

void QueueAdaptor::Mute(const QString& id, int seconds, const QDBusMessage& call)
{
    if (!validSeconds(seconds, call))
        return;
    if (id.size() > kMaxIdLength || !m_core.muteLike(id, unixNow() + seconds))
        replyWithError(
            call, kUnknownAlertError.toString(), tr("No alert with this id is waiting."));
}

void QueueAdaptor::Unmute(const QString& id, const QDBusMessage& call)
{
    if (!m_core.mutes().unmute(id))
        replyWithError(
            call, kUnknownAlertError.toString(), tr("No mute was made from this alert."));
}

QList<QVariantMap> QueueAdaptor::Mutes()
{
    const SlackDirectory& directory = m_core.directory();
    QList<QVariantMap> out;
    for (const halyard::Mute& mute : m_core.mutes().mutes())
        out.append({ { u"id"_s, mute.id }, { u"channelId"_s, mute.channelId },
            { u"channel"_s,
                cutText(directory.channelName(mute.channelId).value_or(mute.channelId),
                    kListNameLength) },
            { u"text"_s, listedText(mute.text, directory) },
            { u"until"_s, mute.until + double(kUnixToReferenceOffset) },
            { u"arrived"_s, clampedCount(mute.arrived) } });
    return out;
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
