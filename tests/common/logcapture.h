#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QtMessageHandler>

namespace halyard::test {

// Collects the program's log lines while it lives, so tests can assert the literal text.
// Only one capture may be active at a time; it restores the previous handler when destroyed.
class LogCapture {
public:
    struct Line {
        QString category; // e.g. "com.corvane.Halyard.alerts"
        QtMsgType type;
        QString message;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<Line> lines() const;
    // All messages of the short category ("alerts", "slack", ...) that start with the prefix.
    QStringList messagesStartingWith(const QString& shortCategory, const QString& prefix) const;
    QStringList messages(const QString& shortCategory) const
    {
        return messagesStartingWith(shortCategory, QString());
    }
    int count(const QString& shortCategory, const QString& message) const
    {
        return int(messages(shortCategory).count(message));
    }
    bool contains(const QString& shortCategory, const QString& message) const
    {
        return count(shortCategory, message) > 0;
    }
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    mutable QMutex m_mutex;
    QList<Line> m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace halyard::test
