#include "common/logging.h"

#include <atomic>

Q_LOGGING_CATEGORY(lcApp, "com.corvane.Halyard.app")
Q_LOGGING_CATEGORY(lcSocket, "com.corvane.Halyard.socket")
Q_LOGGING_CATEGORY(lcSlack, "com.corvane.Halyard.slack")
Q_LOGGING_CATEGORY(lcFilter, "com.corvane.Halyard.filter")
Q_LOGGING_CATEGORY(lcAlerts, "com.corvane.Halyard.alerts")
Q_LOGGING_CATEGORY(lcSettings, "com.corvane.Halyard.settings")

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
