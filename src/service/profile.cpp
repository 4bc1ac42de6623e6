#include "service/profile.h"

#include "freedesktop/endpointrule.h"

#include <QCoreApplication>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::expected<QUrl, QString> slackApiUrlFromEnvironment(const QString& value)
{
    if (value.isEmpty())
        return QUrl(u"https://slack.com/api/"_s);
    const QUrl url(value, QUrl::StrictMode);
    if (!isTrustedEndpoint(url)) {
        return std::unexpected(QCoreApplication::translate("halyard::Profile",
            "halyard: HALYARD_SLACK_API_URL must be an https URL, or http to this computer "
            "(127.0.0.1, ::1, localhost); refusing %1")
                                   .arg(url.isValid() ? url.toDisplayString(QUrl::RemoveUserInfo)
                                                      : QCoreApplication::translate(
                                                          "halyard::Profile", "an invalid URL")));
    }
    return url;
}

std::expected<Profile, QString> Profile::user()
{
    const QString configured = qEnvironmentVariable("HALYARD_SLACK_API_URL");
    const auto url = slackApiUrlFromEnvironment(configured);
    if (!url)
        return std::unexpected(url.error());
    return Profile { QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), *url,
        !configured.isEmpty() };
}

} // namespace halyard
