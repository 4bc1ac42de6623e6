#include "ui/common/deeplink.h"

#include <QHostAddress>
#include <QUrlQuery>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// IDs and timestamps are opaque: encode everything outside the unreserved set, so that no value
// can end its query item or path segment early.
QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

bool isWorkspacePage(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"https")
        return true;
    const QHostAddress address(url.host());
    return scheme == u"http" && (address.isLoopback() || url.host() == u"localhost");
}

} // namespace

std::optional<QUrl> deepLink(const std::optional<QString>& teamId, const Alert& alert)
{
    if (!teamId || teamId->isEmpty())
        return std::nullopt;
    QUrlQuery query;
    query.addQueryItem(u"team"_s, encoded(*teamId));
    query.addQueryItem(u"id"_s, encoded(alert.channelId));
    query.addQueryItem(u"message"_s, encoded(alert.ts));
    QUrl url;
    url.setScheme(u"slack"_s);
    url.setHost(u"channel"_s);
    url.setQuery(query);
    return url;
}

QUrl browserLink(const QString& teamId, const std::optional<QUrl>& workspaceUrl, const Alert& alert)
{
    if (workspaceUrl && isWorkspacePage(*workspaceUrl)) {
        QUrl url = workspaceUrl->adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
        QString path = url.path(QUrl::FullyEncoded);
        if (!path.endsWith(u'/'))
            path += u'/';
        url.setPath(path + u"archives/"_s + encoded(alert.channelId) + u"/p"_s
                + encoded(QString(alert.ts).remove(u'.')),
            QUrl::StrictMode);
        if (url.isValid())
            return url;
    }
    QUrl url;
    url.setScheme(u"https"_s);
    url.setHost(u"app.slack.com"_s);
    url.setPath(
        u"/client/"_s + encoded(teamId) + u'/' + encoded(alert.channelId), QUrl::TolerantMode);
    return url;
}

} // namespace halyard
