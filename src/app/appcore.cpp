#include "app/appcore.h"

#include "app/version.h"
#include "common/logging.h"
#include "desktop/desktopsystemevents.h"
#include "desktop/notificationservice.h"
#include "history/historyrecorder.h"
#include "queue/alertstore.h"
#include "queue/reactionoutbox.h"
#include "settings/keychainservice.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "settings/slacktokens.h"
#include "slack/directory/slackdirectory.h"
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

    m_alertStore->setAgingPolicy(m_settingsStore->agingPolicy());
    connect(m_settingsStore.get(), &SettingsStore::agingPolicyChanged, m_alertStore.get(),
        &AlertStore::setAgingPolicy);
    // A read cut short by the end of the program is no reason to try again.
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { m_quitting = true; });
    if (m_notificationService) {
        m_notificationService->follow(*m_alertStore);
        connect(m_notificationService.get(), &NotificationService::acknowledgeRequested, this,
            [this](const Alert& alert) { slackService().acknowledge(alert, AckCause::banner); });
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
