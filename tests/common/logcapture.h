#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QtMessageHandler>

#include <optional>

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
    // Messages of one category (the short name: "alerts", "slack", ...).
    QStringList messages(const QString& shortCategory) const;
    // All messages of the short category that start with the prefix.
    QStringList messagesStartingWith(const QString& shortCategory, const QString& prefix) const;
    bool contains(const QString& shortCategory, const QString& message) const;
    int count(const QString& shortCategory, const QString& message) const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& msg);

    mutable QMutex m_mutex;
    QList<Line> m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace halyard::test
