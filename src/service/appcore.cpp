#include "service/appcore.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "freedesktop/desktopsystemevents.h"
#include "freedesktop/notificationservice.h"
#include "history/historyrecorder.h"
#include "queue/alertfolding.h"
#include "queue/alertstore.h"
#include "queue/mutelist.h"
#include "queue/reactionoutbox.h"
#include "queue/snoozetimer.h"
#include "service/version.h"
#include "settings/keychainservice.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "settings/slacktokens.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/messageintake.h"
#include "slack/intake/overduereminder.h"
#include "slack/slackservice.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPointer>

#include <algorithm>

namespace halyard {

AppCore::AppCore(
    std::unique_ptr<KeychainService> keychain, Profile profile, bool banners, QObject* parent)
    : QObject(parent)
    , m_profile(std::move(profile))
    , m_keychain(std::move(keychain))
{
    m_preferences = std::make_unique<PreferenceStore>(m_profile.configFolder());
    m_settingsStore = std::make_unique<SettingsStore>(*m_keychain, *m_preferences);
    m_directory = std::make_unique<SlackDirectory>();
    if (banners)
        m_notificationService = std::make_unique<NotificationService>();
    auto persistence = AlertPersistence::create(m_profile.dataFolder());
    m_alertStore = std::make_unique<AlertStore>(
        persistence ? std::optional(std::move(*persistence)) : std::nullopt);
    if (auto path = HistoryFile::pathIn(m_profile.dataFolder())) {
        // Trimmed on the writer's thread, so a large file never holds up the start.
        const auto names = [this](auto lookup) {
            return [this, lookup](const QString& id) {
                return (m_directory.get()->*lookup)(id).value_or(QString());
            };
        };
        m_historyRecorder = std::make_unique<HistoryRecorder>(*m_alertStore,
            std::make_unique<HistoryWriter>(*path, QDateTime::currentMSecsSinceEpoch()),
            HistoryRecorder::Names {
                names(&SlackDirectory::channelName), names(&SlackDirectory::userName) });
    } else {
        qCWarning(lcApp, "No alert history: %s", qUtf8Printable(path.error()));
    }
    if (auto outbox = ReactionOutbox::create(m_profile.dataFolder()))
        m_reactionOutbox = std::make_unique<ReactionOutbox>(std::move(*outbox));

    m_mutes = std::make_unique<MuteList>(
        *m_alertStore, persistence ? std::optional(m_profile.dataFolder()) : std::nullopt);
    m_snoozeTimer = std::make_unique<SnoozeTimer>(*m_alertStore);
    m_alertStore->setFolding(m_settingsStore->foldRepeats());
    connect(m_settingsStore.get(), &SettingsStore::foldRepeatsChanged, m_alertStore.get(),
        &AlertStore::setFolding);
    m_alertStore->setAgingPolicy(m_settingsStore->agingPolicy());
    connect(m_settingsStore.get(), &SettingsStore::agingPolicyChanged, m_alertStore.get(),
        &AlertStore::setAgingPolicy);
    // A read cut short by the end of the program is no reason to try again.
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { m_quitting = true; });
    if (m_notificationService) {
        m_notificationService->follow(*m_alertStore);
        connect(m_notificationService.get(), &NotificationService::acknowledgeRequested, this,
            [this](const Alert& alert) { acknowledgeRow(alert, AckCause::banner); });
        // What comes back from a snooze is news again; what a mute held is summed up once.
        connect(
            m_alertStore.get(), &AlertStore::snoozeEnded, this, [this](const QList<Alert>& woken) {
                if (!m_settingsStore->notificationsEnabled())
                    return;
                for (const Alert& alert : woken) {
                    if (alert.muted)
                        continue;
                    const auto channel = m_directory->channelName(alert.channelId);
                    m_notificationService->postBanner(alert.id,
                        channel ? u'#' + *channel : tr("Snoozed alert"),
                        MessageIntake::bannerBody(alert.text, *m_directory));
                }
            });
        connect(m_mutes.get(), &MuteList::muteEnded, this, [this](const Mute& mute) {
            if (mute.arrived == 0 || !m_settingsStore->notificationsEnabled())
                return;
            const int count = int(std::min<qint64>(mute.arrived, 1'000'000));
            const QString like = excerpt(MessageIntake::bannerBody(mute.text, *m_directory), 40);
            m_notificationService->postBanner(QString(), tr("Mute ended"),
                tr("%n alerts like \"%1\" arrived while muted", "", count).arg(like));
        });
        m_overdueReminder = std::make_unique<OverdueReminder>(
            *m_alertStore, *m_settingsStore, *m_directory, *m_notificationService);
    }
}

AppCore::~AppCore()
{
    m_stopping.cancel();
    // The service first: its tasks refer to the stores.
    m_slackService.reset();
}

SlackService& AppCore::slackService()
{
    if (!m_slackService) {
        m_systemEvents = std::make_unique<DesktopSystemEvents>();
        // The reminder's timer stood still while the computer slept.
        if (m_overdueReminder)
            connect(m_systemEvents.get(), &SystemEvents::didWake, m_overdueReminder.get(),
                &OverdueReminder::recheck);
        m_webApi = std::make_unique<SlackWebAPI>(&m_network, m_profile.slackApiUrl);
        m_slackService = std::make_unique<SlackService>(m_alertStore.get(), m_settingsStore.get(),
            m_directory.get(), m_notificationService.get(), m_systemEvents.get(), m_webApi.get(),
            SlackServiceTimings {}, m_reactionOutbox.get());
    }
    return *m_slackService;
}

void AppCore::acknowledgeRow(const Alert& row, AckCause cause)
{
    AlertFolding folding;
    QList<Alert> members
        = folding.membersOf(m_alertStore->alerts(), row.id, m_alertStore->folding());
    if (members.isEmpty()) {
        const auto snoozed = std::ranges::find(m_alertStore->snoozed(), row.id, &Alert::id);
        members.append(snoozed != m_alertStore->snoozed().end() ? *snoozed : row);
    }
    for (const Alert& alert : std::as_const(members))
        slackService().acknowledge(alert, cause);
}

qsizetype AppCore::snoozeRow(const QString& id, double untilUnix)
{
    AlertFolding folding;
    QStringList ids;
    for (const Alert& alert :
        folding.membersOf(m_alertStore->alerts(), id, m_alertStore->folding()))
        ids.append(alert.id);
    if (ids.isEmpty()
        && std::ranges::find(m_alertStore->snoozed(), id, &Alert::id)
            != m_alertStore->snoozed().end())
        ids.append(id);
    return ids.isEmpty() ? 0 : m_alertStore->snooze(ids, referenceTimeFromUnix(untilUnix));
}

qsizetype AppCore::unsnoozeRow(const QString& id)
{
    // The row as it was folded when snoozed: its members are snoozed together.
    AlertFolding folding;
    QStringList ids;
    for (const Alert& alert :
        folding.membersOf(m_alertStore->snoozed(), id, m_alertStore->folding()))
        ids.append(alert.id);
    return m_alertStore->unsnooze(ids);
}

bool AppCore::muteLike(const QString& id, double untilUnix)
{
    for (const QList<Alert>* list : { &m_alertStore->alerts(), &m_alertStore->snoozed() }) {
        const auto found = std::ranges::find(*list, id, &Alert::id);
        if (found != list->end()) {
            m_mutes->mute(*found, referenceTimeFromUnix(untilUnix));
            return true;
        }
    }
    return false;
}

QCoro::Task<> AppCore::launch()
{
    qCInfo(lcApp, "Halyard %s (build %s) launched", kVersion, kBuildNumber);
    if (m_profile.slackApiOverridden) {
        qCInfo(lcApp, "Slack Web API at %s (HALYARD_SLACK_API_URL)",
            qUtf8Printable(m_profile.slackApiUrl.toDisplayString(QUrl::RemoveUserInfo)));
    }
    QPointer self(this);
    auto delay = m_firstRetry;
    QString failure;
    for (;;) {
        const auto loaded = co_await self->m_settingsStore->loadTokens();
        if (!self)
            co_return;
        if (loaded)
            break;
        // Not "no tokens": the user has nothing to set up, the store did not answer.
        if (self->m_quitting) {
            qCCritical(lcApp, "Could not read the Slack tokens (%s) — not connecting",
                qUtf8Printable(loaded.error().description()));
            co_return;
        }
        if (loaded.error().description() != failure) {
            failure = loaded.error().description();
            qCCritical(lcApp,
                "Could not read the Slack tokens (%s) — trying again until the "
                "credential store answers",
                qUtf8Printable(failure));
            emit self->tokenStoreUnavailable();
        }
        const CancellationToken stopping = self->m_stopping.token();
        if (!co_await sleepFor(delay, stopping) || !self)
            co_return;
        delay = std::min(delay * 2, self->m_longestRetry);
    }
    if (!failure.isEmpty())
        qCInfo(lcApp, "Read the Slack tokens: the credential store answered");
    SlackService& service = self->slackService();
    if (self->m_settingsStore->cachedTokens()) {
        qCInfo(lcApp, "Tokens present — initiating Slack connection");
        service.connect();
    } else {
        qCInfo(lcApp, "No tokens stored — waiting for user setup");
        emit self->setupNeeded();
    }
}

QCoro::Task<> AppCore::reloadTokens()
{
    QPointer self(this);
    const auto tokens = co_await loadSlackTokens(m_keychain.get());
    if (!self)
        co_return;
    if (!tokens) {
        qCWarning(lcApp, "Could not re-read the Slack tokens (%s) — keeping the connection",
            qUtf8Printable(tokens.error().description()));
        co_return;
    }
    SlackService& service = slackService();
    if (*tokens) {
        qCInfo(lcApp, "Tokens changed — reconnecting");
        m_settingsStore->adoptTokens(*tokens);
        service.connect();
    } else {
        qCInfo(lcApp, "Tokens removed — disconnecting");
        service.disconnect();
        m_settingsStore->adoptTokens(std::nullopt);
    }
}

} // namespace halyard
