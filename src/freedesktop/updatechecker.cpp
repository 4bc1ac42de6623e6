#include "freedesktop/updatechecker.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "freedesktop/endpointrule.h"
#include "settings/preferencekeys.h"
#include "settings/preferencestore.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kTransferTimeoutMs = 30'000;

QString lastCheckKey()
{
    return preference::updatesLastCheck.key.toString();
}

// The log keeps the feed's and the server's words, and only so much of them is worth reading;
// the dialog words the kind.
std::unexpected<Problem> failed(Problem::Kind kind, const QString& error)
{
    const QString shown = excerpt(error);
    qCInfo(lcApp, "Update check failed: %s", qUtf8Printable(shown));
    return std::unexpected(Problem::of(kind, shown));
}

} // namespace

UpdateChecker::UpdateChecker(QNetworkAccessManager& network, PreferenceStore& preferences,
    QUrl feedUrl, QString currentVersion, Clock clock, Timings timings, QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_preferences(preferences)
    , m_feedUrl(std::move(feedUrl))
    , m_currentVersion(std::move(currentVersion))
    , m_clock(std::move(clock))
    , m_timings(timings)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { runScheduledCheck(); });
}

void UpdateChecker::start()
{
    if (!isEnabled())
        return;
    const QDateTime now = m_clock();
    QDateTime due = now.addMSecs(m_timings.startDelay.count());
    const std::optional<QString> stored = m_preferences.stringValue(lastCheckKey());
    const QDateTime last = stored ? QDateTime::fromString(*stored, Qt::ISODateWithMs) : QDateTime();
    // A last check in the future (a clock set back) is treated like none.
    if (last.isValid() && last <= now)
        due = std::max(due, last.addMSecs(m_timings.interval.count()));
    scheduleAt(due);
}

void UpdateChecker::scheduleAt(const QDateTime& due)
{
    m_due = due;
    m_timer.start(std::max<qint64>(0, m_clock().msecsTo(due)));
}

QCoro::Task<UpdateChecker::Result> UpdateChecker::checkNow()
{
    QPointer<UpdateChecker> self(this);
    Result result = co_await check();
    if (self && result && *result)
        emit updateFound(**result, true);
    co_return result;
}

QCoro::Task<> UpdateChecker::runScheduledCheck()
{
    if (!isEnabled())
        co_return;
    const QDateTime now = m_clock();
    // Recorded before the check, so a feed that keeps failing is still asked only once a day.
    m_preferences.setString(lastCheckKey(), now.toString(Qt::ISODateWithMs));
    scheduleAt(now.addMSecs(m_timings.interval.count()));
    QPointer<UpdateChecker> self(this);
    const Result result = co_await check();
    if (self && result && *result)
        emit updateFound(**result, false);
}

QCoro::Task<UpdateChecker::Result> UpdateChecker::check()
{
    if (!isEnabled())
        co_return std::unexpected(Problem::of(Problem::Kind::feedMissing));
    if (!isTrustedEndpoint(m_feedUrl)) {
        co_return failed(Problem::Kind::feedInsecure,
            u"The update feed must be read over https: "_s
                + m_feedUrl.toDisplayString(QUrl::RemoveUserInfo));
    }
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = m_network.get(request);
    // The reply goes with the checker, should the program end during a check.
    reply->setParent(this);

    // Why the program aborted the reply, if it did; the reply's own error says only "cancelled".
    auto abortReason = std::make_shared<QString>();
    const auto abortWith = [reply, abortReason](QString reason) {
        if (abortReason->isEmpty())
            *abortReason = std::move(reason);
        reply->abort();
    };
    connect(reply, &QNetworkReply::redirected, reply, [reply, abortWith](const QUrl& target) {
        if (isTrustedEndpoint(target))
            emit reply->redirectAllowed();
        else
            abortWith(u"it redirects to an address that is not https: "_s
                + target.toDisplayString(QUrl::RemoveUserInfo));
    });
    // Read as it arrives, so no more than the cap is ever held.
    auto body = std::make_shared<QByteArray>();
    const auto take = [reply, body, abortWith] {
        body->append(reply->read(kMaxFeedBytes + 1 - body->size()));
        if (body->size() > kMaxFeedBytes)
            abortWith(u"it is larger than %1 MiB"_s.arg(kMaxFeedBytes / (1024 * 1024)));
    };
    connect(reply, &QNetworkReply::readyRead, reply, take);
    QTimer::singleShot(m_timings.deadline, reply,
        [abortWith, seconds = QString::number(m_timings.deadline.count() / 1000.0)] {
            abortWith(u"it did not arrive within %1 seconds"_s.arg(seconds));
        });

    QPointer<UpdateChecker> self(this);
    co_await qCoro(reply).waitForFinished();
    if (!self)
        co_return std::unexpected(Problem::of(Problem::Kind::cancelled));
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError)
        take();
    if (!abortReason->isEmpty())
        co_return failed(Problem::Kind::feedUnreachable,
            u"The update feed could not be fetched: "_s + *abortReason);
    if (reply->error() != QNetworkReply::NoError)
        co_return failed(Problem::Kind::feedUnreachable,
            u"The update feed could not be fetched: "_s + reply->errorString());
    const auto parsed = parseAppcast(*body);
    if (!parsed)
        co_return failed(Problem::Kind::feedUnreadable,
            u"The update feed could not be read: "_s + parsed.error());
    const std::optional<AppcastItem>& newest = *parsed;
    if (!newest || compareVersions(newest->displayVersion, m_currentVersion) <= 0) {
        qCInfo(lcApp, "Update check: %s is the newest version", qUtf8Printable(m_currentVersion));
        co_return std::optional<AppcastItem>();
    }
    qCInfo(lcApp, "Update check found version %s", qUtf8Printable(newest->displayVersion));
    co_return newest;
}

} // namespace halyard
