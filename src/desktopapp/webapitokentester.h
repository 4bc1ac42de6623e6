#pragma once

#include "ui/settings/slackcontrols.h"

#include <QUrl>

class QNetworkAccessManager;

namespace halyard {

// Test Token for the settings window: auth.test through a Web API client built for each call on
// the shared session, which must outlive every call. A failure reads as the error's description,
// or as Slack's error code when Slack refused the token.
SlackControls::TokenTester webApiTokenTester(QNetworkAccessManager* network, QUrl baseUrl);

} // namespace halyard
