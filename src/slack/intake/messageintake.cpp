#include "slack/intake/messageintake.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "queue/alertfolding.h"
#include "queue/alertstore.h"
#include "settings/settingsstore.h"
#include "slack/directory/directoryresolver.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/intake/messagefilter.h"
#include "slack/text/slacktext.h"
#include "slack/webapi/slackwebapi.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The first `count` user-perceived characters, so a cut never splits an emoji or an accent
// from its letter.
QString firstCharacters(const QString& text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype seen = 0; seen < count; ++seen) {
        if (finder.toNextBoundary() == -1)
            return text;
    }
    return text.left(finder.position());
}

} // namespace

MessageIntake::MessageIntake(AlertStore* alerts, SettingsStore* settings, SlackDirectory* directory,
    DirectoryResolver* resolver, BannerPoster* banners, const SlackWebAPI* webApi, QObject* parent)
    : QObject(parent)
    , m_alerts(alerts)
    , m_settings(settings)
    , m_directory(directory)
    , m_resolver(resolver)
    , m_banners(banners)
    , m_webApi(webApi)
{
}

void MessageIntake::handleLiveMessage(const MessageEvent& message, const SlackTokens& tokens)
{
    const auto accepted
        = acceptMessage(message, m_settings->botsOnly(), m_settings->triggerPrefix());
    if (!accepted) {
        qCDebug(lcFilter, "Dropped by filter: channel=%s ts=%s isBot=%s",
            qUtf8Printable(logCut(message.channelId)), qUtf8Printable(message.ts),
            message.isBot ? "true" : "false");
        return;
    }

    const QString id = Alert::makeId(accepted->channelId, accepted->ts);
    const bool wasQueued = m_alerts->contains(id);
    // A repeated delivery still goes through ingest: it may carry a name the directory lacks.
    ingest(*accepted, tokens.botToken, Arrival::live);
    // Only a message that became an alert just now: one acknowledged before is not queued again,
    // and its banner would stand for nothing.
    if (wasQueued || !m_alerts->contains(id) || !m_settings->notificationsEnabled() || !m_banners)
        return;
    // Arrived during a mute: its summary speaks for it when the mute ends.
    if (std::ranges::find(m_alerts->snoozed(), id, &Alert::id) != m_alerts->snoozed().end())
        return;
    // A repeat raises no banner of its own: its row's banner shows the new count in place.
    if (const auto row = foldedRow(id); row && row->second > 1) {
        const auto channelName = m_directory->channelName(accepted->channelId);
        m_banners->updateBanner(row->first, channelName ? u"#"_s + *channelName : tr("New alert"),
            tr("%1 (×%2)").arg(bannerBody(accepted->text, *m_directory)).arg(row->second));
        return;
    }

    if (namesPending(accepted->channelId, accepted->text))
        announceWhenNamed(QPointer(this), id, accepted->channelId, accepted->text);
    else
        announce(id, accepted->channelId, accepted->text);
}

std::optional<std::pair<QString, qsizetype>> MessageIntake::foldedRow(const QString& id) const
{
    if (!m_alerts->folding())
        return std::nullopt;
    const QList<Alert>& alerts = m_alerts->alerts();
    const auto self = std::ranges::find(alerts, id, &Alert::id);
    if (self == alerts.end())
        return std::nullopt;
    // Newest first from the alert, following the chain of repeats back while each is within
    // the window of the one after it.
    const Alert* oldest = &*self;
    qsizetype count = 1;
    for (auto it = std::make_reverse_iterator(self); it != alerts.rend(); ++it) {
        if (oldest->receivedAt - it->receivedAt > AlertFolding::kWindowSeconds)
            break;
        if (AlertFolding::areRepeats(*it, *oldest)) {
            oldest = &*it;
            ++count;
        }
    }
    // Newer repeats already queued (a live message after its own catch-up, say) count too.
    for (auto it = self + 1; it != alerts.end(); ++it)
        if (it->receivedAt - self->receivedAt <= AlertFolding::kWindowSeconds
            && AlertFolding::areRepeats(*self, *it))
            ++count;
    return std::pair { oldest->id, count };
}

void MessageIntake::announce(const QString& id, const QString& channelId, const QString& text)
{
    const auto channelName = m_directory->channelName(channelId);
    const QString title = channelName ? u"#"_s + *channelName : tr("New alert");
    // postBanner returns at once, so the next event is never held up by the desktop.
    m_banners->postBanner(id, title, bannerBody(text, *m_directory));
}

SlackText::MentionedIds MessageIntake::rowMentions(const QString& text)
{
    return SlackText::unlabelledMentions(
        QStringView(text).first(std::min(text.size(), kRowTextLength)), kMaxMentionLookups);
}

bool MessageIntake::namesPending(const QString& channelId, const QString& text) const
{
    if (m_resolver->inflightChannelLookups().contains(channelId))
        return true;
    const auto mentioned = rowMentions(text);
    return std::ranges::any_of(mentioned.users, [this](const QString& user) {
        return m_resolver->inflightUserLookups().contains(user);
    }) || std::ranges::any_of(mentioned.channels, [this](const QString& channel) {
        return m_resolver->inflightChannelLookups().contains(channel);
    });
}

QCoro::Task<> MessageIntake::announceWhenNamed(
    QPointer<MessageIntake> self, QString id, QString channelId, QString text)
{
    // A banner says "@ada", not "@U0ADA", when the name comes within a second; a look-up that
    // takes longer leaves the ID rather than hold the banner back.
    using namespace std::chrono;
    for (milliseconds waited { 0 }; waited < kBannerNameWait; waited += kBannerNamePoll) {
        if (!co_await sleepFor(kBannerNamePoll, {}) || !self)
            co_return;
        if (!self->namesPending(channelId, text))
            break;
    }
    // Acknowledged meanwhile: a banner would stand for nothing.
    if (self->m_alerts->contains(id) && self->m_banners && self->m_settings->notificationsEnabled())
        self->announce(id, channelId, text);
}

QString MessageIntake::bannerBody(const QString& text, const SlackDirectory& directory)
{
    return firstCharacters(
        SlackText::plainText(text, { &directory.userNames(), &directory.channelNames() }),
        kBannerBodyLength);
}

void MessageIntake::handleReaction(const ReactionEvent& reaction)
{
    if (!m_settings->teamSharedAckEnabled())
        return;
    const QString& emoji = m_settings->ackBackEmoji();
    // While the emoji field is being edited it can be empty; that is no emoji at all.
    if (!emoji.isEmpty() && reaction.reaction == emoji) {
        m_alerts->removeBySource(reaction.channelId, reaction.ts, reaction.userId);
        return;
    }
    qCDebug(lcAlerts, "Reaction ignored — not the ack emoji: %s",
        qUtf8Printable(logCut(reaction.reaction)));
}

void MessageIntake::ingest(const MessageEvent& message, const QString& botToken, Arrival arrival)
{
    m_resolver->noteDisplayName(message.userId, message.displayUsername);
    // A posting time that cannot be right would show an absurd age, or "just now" for ever; the
    // time of arrival is the better guess, and the one the queue file would give it on reload.
    const ReferenceTime now = currentReferenceTime();
    ReferenceTime postedAt = referenceTimeFromUnix(message.timestampDate());
    if (!isPlausibleTime(postedAt, now))
        postedAt = now;
    const QString id = Alert::makeId(message.channelId, message.ts);
    QString text = message.text;
    if (text.size() > kMaxTextLength && !m_alerts->contains(id)) {
        // Slack's own limit for a message: anything longer is not a message a person wrote,
        // and every view, banner and the bus would carry it.
        qCWarning(lcAlerts, "Message %s is %lld characters long; keeping the first %lld",
            qUtf8Printable(logCut(id)), static_cast<long long>(text.size()),
            static_cast<long long>(kMaxTextLength));
        text = firstCharacters(text, kMaxTextLength);
    }
    m_alerts->enqueue(
        Alert {
            id,
            message.channelId,
            message.ts,
            message.userId,
            text,
            postedAt,
            std::nullopt,
        },
        arrival);
    // Names only for what is in the queue (a message acknowledged before is not), and only
    // for the mentions its row shows: a few per message, so a hostile text costs a few
    // look-ups at most.
    if (!m_alerts->contains(id))
        return;
    m_resolver->resolveChannelName(message.channelId, botToken);
    if (message.userId)
        m_resolver->resolveUserName(*message.userId, botToken);
    const auto mentioned = rowMentions(text);
    for (const QString& userId : mentioned.users)
        m_resolver->resolveUserName(userId, botToken);
    for (const QString& channelId : mentioned.channels)
        m_resolver->resolveChannelName(channelId, botToken);
}

QCoro::Task<> MessageIntake::backfill(
    SlackTokens tokens, QMap<QString, QString> points, CancellationToken cancel)
{
    return runBackfill(QPointer(this), std::move(tokens), std::move(points), std::move(cancel));
}

QCoro::Task<> MessageIntake::reconcileReactions(SlackTokens tokens, CancellationToken cancel)
{
    return runReconcile(QPointer(this), std::move(tokens), std::nullopt, std::move(cancel));
}

QCoro::Task<> MessageIntake::runBackfill(QPointer<MessageIntake> self, SlackTokens tokens,
    QMap<QString, QString> points, CancellationToken cancel)
{
    if (!self || cancel.isCancelled())
        co_return;
    qCInfo(lcSlack, "Backfill starting: %lld channel(s) with watermarks",
        static_cast<long long>(points.size()));
    const bool skipAcknowledged = self->m_settings->teamSharedAckEnabled();
    const QString ackEmoji = self->m_settings->ackBackEmoji();
    long long raw = 0;
    long long enqueued = 0;
    long long skippedByReaction = 0;
    long long channelFailures = 0;

    for (auto point = points.cbegin(); point != points.cend(); ++point) {
        const QString& channelId = point.key();
        const auto history
            = co_await fetchHistory(self, tokens.botToken, channelId, point.value(), cancel);
        if (!self || cancel.isCancelled())
            co_return;
        if (!history) {
            if (history.error().kind() == SlackError::Kind::cancelled)
                co_return;
            ++channelFailures;
            qCCritical(lcSlack, "Backfill failed for channel %s: %s",
                qUtf8Printable(logCut(channelId)), qUtf8Printable(history.error().description()));
            continue;
        }

        raw += history->size();
        for (const SlackEventDTO& payload : *history) {
            if (skipAcknowledged && hasAckReaction(payload, ackEmoji)) {
                ++skippedByReaction;
                continue;
            }
            auto message = MessageEvent::fromEvent(payload, channelId);
            if (!message)
                continue;
            const auto accepted = acceptMessage(std::move(*message), self->m_settings->botsOnly(),
                self->m_settings->triggerPrefix());
            if (!accepted)
                continue;
            self->ingest(*accepted, tokens.botToken, Arrival::catchUp);
            ++enqueued;
        }
        self->m_alerts->finishBackfill(channelId);
    }

    qCInfo(lcSlack,
        "Backfill complete: raw=%lld enqueued=%lld skippedByReaction=%lld "
        "channelFailures=%lld",
        raw, enqueued, skippedByReaction, channelFailures);
}

QCoro::Task<SlackResult<QList<SlackEventDTO>>> MessageIntake::fetchHistory(
    QPointer<MessageIntake> self, QString botToken, QString channelId, QString oldest,
    CancellationToken cancel)
{
    // Slack pages newest first, so a channel is taken in only once every page is read: taking
    // in the newer pages alone would move the mark past the older messages for good.
    QList<SlackEventDTO> messages;
    std::optional<QString> cursor;
    for (int page = 1;; ++page) {
        // The client is reached through the intake at every page: it may be gone by the next.
        if (!self)
            co_return std::unexpected(SlackError::cancelled());
        auto response = co_await self->m_webApi->conversationsHistory(
            botToken, channelId, oldest, cursor, cancel);
        if (!response)
            co_return std::unexpected(response.error());
        if (!self || cancel.isCancelled())
            co_return std::unexpected(SlackError::cancelled());
        for (const webapi::SkippedMessage& skipped : std::as_const(response->skipped)) {
            qCCritical(lcSlack, "Backfill skipped a message of channel %s (ts %s): %s",
                qUtf8Printable(logCut(channelId)),
                qUtf8Printable(logCut(skipped.ts.value_or(u"?"_s))),
                qUtf8Printable(logCut(skipped.reason)));
        }
        if (response->messages)
            messages.append(std::move(*response->messages));
        if (!response->has_more.value_or(false))
            break;
        const QString next = response->response_metadata
            ? response->response_metadata->next_cursor.value_or(QString())
            : QString();
        if (next.isEmpty() || page >= self->m_maxHistoryPages) {
            // Slack pages newest first, so reading again from the same point would only fetch
            // the same pages: what lies beyond the limit is skipped for good.
            qCCritical(lcSlack,
                "Backfill read %d page(s) of channel %s and stopped at the page limit; its older "
                "messages were skipped",
                page, qUtf8Printable(logCut(channelId)));
            break;
        }
        cursor = next;
    }

    // The order of the answer is Slack's business; the order of intake is the posting order.
    std::ranges::stable_sort(messages, [](const SlackEventDTO& a, const SlackEventDTO& b) {
        return compareSlackTimestamps(a.ts.value_or(QString()), b.ts.value_or(QString())) < 0;
    });
    // Pages of a history that changed while it was read can overlap.
    const auto duplicates = std::ranges::unique(
        messages, [](const auto& a, const auto& b) { return a.ts && b.ts && *a.ts == *b.ts; });
    messages.erase(duplicates.begin(), duplicates.end());
    co_return messages;
}

QCoro::Task<> MessageIntake::runReconcile(QPointer<MessageIntake> self, SlackTokens tokens,
    std::optional<QSet<QString>> only, CancellationToken cancel)
{
    for (;;) {
        if (!self || cancel.isCancelled())
            co_return;
        if (!self->m_settings->teamSharedAckEnabled()
            || (self->m_alerts->alerts().isEmpty() && self->m_alerts->snoozed().isEmpty()))
            co_return;
        // Snoozed alerts too: an ack in Slack clears them while they sleep.
        QList<Alert> snapshot = self->m_alerts->alerts() + self->m_alerts->snoozed();
        std::ranges::stable_sort(snapshot, [](const Alert& a, const Alert& b) {
            return a.receivedAt != b.receivedAt ? a.receivedAt < b.receivedAt
                                                : compareSlackTimestamps(a.ts, b.ts) < 0;
        });
        if (only)
            snapshot.removeIf([&](const Alert& alert) { return !only->contains(alert.id); });
        if (snapshot.isEmpty())
            co_return;
        const QString ackEmoji = self->m_settings->ackBackEmoji();
        long long removed = 0;
        QSet<QString> failed;

        for (const Alert& alert : snapshot) {
            // The Web API client holds reactions.get back while Slack limits its rate.
            const auto response = co_await self->m_webApi->reactionsGet(
                tokens.botToken, alert.channelId, alert.ts, cancel);
            if (!self || cancel.isCancelled())
                co_return;
            if (!response) {
                if (response.error().kind() == SlackError::Kind::cancelled)
                    co_return;
                failed.insert(alert.id);
                qCCritical(lcSlack, "Reaction reconcile failed for %s: %s",
                    qUtf8Printable(logCut(alert.id)),
                    qUtf8Printable(response.error().description()));
                continue;
            }
            if (response->message && hasAckReaction(*response->message, ackEmoji)) {
                self->m_alerts->removeBySource(alert.channelId, alert.ts);
                ++removed;
            }
        }

        qCInfo(lcSlack, "Reaction reconcile complete: checked=%lld removed=%lld failures=%lld",
            static_cast<long long>(snapshot.size()), removed,
            static_cast<long long>(failed.size()));
        if (failed.isEmpty())
            co_return;
        // Not only at the next connect: a connection can last for days.
        const auto delay = self->m_reconcileRetryDelay;
        qCInfo(lcSlack, "Reaction reconcile will check %lld alert(s) again in %llds",
            static_cast<long long>(failed.size()),
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::seconds>(delay).count()));
        if (!co_await sleepFor(delay, cancel))
            co_return;
        only = std::move(failed);
    }
}

} // namespace halyard
