#include "common/logging.h"

#include <atomic>

// Debug lines are off unless QT_LOGGING_RULES turns them on: every frame would write several.
Q_LOGGING_CATEGORY(lcApp, "com.corvane.Halyard.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSocket, "com.corvane.Halyard.socket", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSlack, "com.corvane.Halyard.slack", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFilter, "com.corvane.Halyard.filter", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAlerts, "com.corvane.Halyard.alerts", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "com.corvane.Halyard.settings", QtInfoMsg)

namespace halyard {

namespace {
std::atomic<bool>& privateFlag()
{
    static std::atomic<bool> flag { qEnvironmentVariable("HALYARD_LOG_PRIVATE") == u"1" };
    return flag;
}
} // namespace

bool privateLoggingEnabled()
{
    return privateFlag().load(std::memory_order_relaxed);
}

void setPrivateLoggingEnabled(bool enabled)
{
    privateFlag().store(enabled, std::memory_order_relaxed);
}

QString logPrivate(const QString& value)
{
    return privateLoggingEnabled() ? value : QStringLiteral("<private>");
}

} // namespace halyard
