#include "common/logcapture.h"

#include <QMutexLocker>

#include <atomic>

namespace halyard::test {

namespace {
std::atomic<LogCapture*> g_active { nullptr };
} // namespace

LogCapture::LogCapture()
{
    g_active.store(this);
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active.store(nullptr);
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    LogCapture* self = g_active.load();
    if (!self)
        return;
    {
        QMutexLocker lock(&self->m_mutex);
        self->m_lines.append(Line { QString::fromUtf8(context.category), type, msg });
    }
    // Keep the lines visible in a failing test's output.
    if (self->m_previous && qEnvironmentVariableIsSet("HALYARD_TEST_VERBOSE"))
        self->m_previous(type, context, msg);
}

QList<LogCapture::Line> LogCapture::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList LogCapture::messagesStartingWith(
    const QString& shortCategory, const QString& prefix) const
{
    const QString category = QStringLiteral("com.corvane.Halyard.") + shortCategory;
    QStringList out;
    QMutexLocker lock(&m_mutex);
    for (const Line& line : m_lines) {
        if (line.category == category && line.message.startsWith(prefix))
            out.append(line.message);
    }
    return out;
}

void LogCapture::clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
}

} // namespace halyard::test
