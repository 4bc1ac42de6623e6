#pragma once

#include <QString>
#include <QUrl>

#include <expected>

namespace halyard {

// Where one run of the program keeps its things and which Slack Web API it talks to. The user's
// profile comes from the XDG folders and HALYARD_SLACK_API_URL; the demo builds its own and hands
// it down, so that nothing of it reaches the environment of the programs it opens (the browser,
// xdg-open, Slack).
struct Profile {
    // Like XDG_DATA_HOME and XDG_CONFIG_HOME: the program's folders are beneath them.
    QString dataHome;
    QString configHome;
    QUrl slackApiUrl;
    // HALYARD_SLACK_API_URL replaced the real Slack; logged once at start.
    bool slackApiOverridden = false;

    // The queue and the lock.
    QString dataFolder() const { return dataHome + QStringLiteral("/Halyard"); }
    // The preferences.
    QString configFolder() const { return configHome + QStringLiteral("/Halyard"); }
    // The login entry.
    QString autostartFolder() const { return configHome + QStringLiteral("/autostart"); }

    // The user's folders and Slack. Fails with the one line to print when HALYARD_SLACK_API_URL
    // names anything but https, or http to this computer: tokens never travel in the clear.
    static std::expected<Profile, QString> user();
};

// The Web API base URL an HALYARD_SLACK_API_URL value asks for: the real Slack when empty.
std::expected<QUrl, QString> slackApiUrlFromEnvironment(const QString& value);

} // namespace halyard
