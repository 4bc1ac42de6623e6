#pragma once

#include "queue/alert.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace halyard {

// The link that opens the alert's message in the Slack desktop application:
// slack://channel?team=<team>&id=<channel>&message=<ts>. Absent without a team ID, which is
// known only after the first successful connection.
std::optional<QUrl> deepLink(const std::optional<QString>& teamId, const Alert& alert);

// The alert's message on the web, for desktops without a slack: handler: its permalink
// <workspace>archives/<channel>/p<ts without the dot>. The workspace address comes from a server,
// so only an https page (or, for a simulated workspace, an http page on loopback) with a host and
// no user name is taken; without one, the web client's page of the alert's channel.
QUrl browserLink(
    const QString& teamId, const std::optional<QUrl>& workspaceUrl, const Alert& alert);

} // namespace halyard
