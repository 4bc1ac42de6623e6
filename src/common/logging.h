#pragma once

#include <QLoggingCategory>
#include <QString>

// The program's log categories. Levels: qCDebug for debug, qCInfo for info and qCCritical for
// error. Lines are written printf-style so that each one is the program's literal text.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSocket)
Q_DECLARE_LOGGING_CATEGORY(lcSlack)
Q_DECLARE_LOGGING_CATEGORY(lcFilter)
Q_DECLARE_LOGGING_CATEGORY(lcAlerts)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)

namespace halyard {

// Whether arguments marked private (message text, names) are shown in clear. Read once from
// HALYARD_LOG_PRIVATE=1; setPrivateLoggingEnabled() overrides it.
bool privateLoggingEnabled();
void setPrivateLoggingEnabled(bool enabled);

// The text to log for a private argument: the value itself, or "<private>".
QString logPrivate(const QString& value);

} // namespace halyard
