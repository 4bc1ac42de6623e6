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

// The web client's page of the alert's channel, for desktops without a slack: handler.
QUrl browserLink(const QString& teamId, const Alert& alert);

} // namespace halyard
