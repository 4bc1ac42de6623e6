#pragma once

#include <QByteArray>
#include <QString>
#include <QtMessageHandler>

namespace halyard {

// Tells the service manager that started the program how it stands ("READY=1",
// "STATUS=Connected…"): one datagram to $NOTIFY_SOCKET, a path or, with a leading '@', an
// abstract socket name. False when no manager listens or the datagram was refused; the program
// runs the same either way.
bool notifyServiceManager(const QByteArray& state);

// Whether standard error is the journal's stream (JOURNAL_STREAM names its device and inode).
bool standardErrorIsJournal();

// The log line as the journal reads it: every line of `text` led by its syslog priority ("<3>"
// for errors), so that priority filters work.
QByteArray journalLine(QtMsgType type, const QString& text);

// When standard error is the journal, writes every log line there with its priority; Qt's
// filtering and QT_MESSAGE_PATTERN apply as before. Otherwise changes nothing.
void installJournalPriorities();

} // namespace halyard
