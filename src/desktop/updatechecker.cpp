#include "desktop/updatechecker.h"

#include "common/logging.h"
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
        co_return std::unexpected(u"No update feed is configured."_s);
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(kTransferTimeoutMs);
    QNetworkReply* reply = m_network.get(request);
    // The reply goes with the checker, should the program end during a check.
    reply->setParent(this);
    QPointer<UpdateChecker> self(this);
    co_await qCoro(reply).waitForFinished();
    if (!self)
        co_return std::unexpected(u"The update check was cancelled."_s);
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError) {
        const QString error = u"The update feed could not be fetched: "_s + reply->errorString();
        qCInfo(lcApp, "Update check failed: %s", qUtf8Printable(error));
        co_return std::unexpected(error);
    }
    const auto parsed = parseAppcast(reply->readAll());
    if (!parsed) {
        const QString error = u"The update feed could not be read: "_s + parsed.error();
        qCInfo(lcApp, "Update check failed: %s", qUtf8Printable(error));
        co_return std::unexpected(error);
    }
    const std::optional<AppcastItem>& newest = *parsed;
    if (!newest || compareVersions(newest->displayVersion, m_currentVersion) <= 0) {
        qCInfo(lcApp, "Update check: %s is the newest version", qUtf8Printable(m_currentVersion));
        co_return std::optional<AppcastItem>();
    }
    qCInfo(lcApp, "Update check found version %s", qUtf8Printable(newest->displayVersion));
    co_return newest;
}

} // namespace halyard
