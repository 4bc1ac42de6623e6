#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace halyard {

// Adds the options of list, ack, open and status to the program's parser.
void addQueueCommandOptions(QCommandLineParser& parser);

// Whether `word` names one of the commands that talk to the running copy's queue.
bool isQueueCommand(const QString& word);

// What is wrong with a queue command's arguments and options; absent when they make sense.
// Options of these commands given to any other mode are wrong too.
std::optional<QString> queueCommandUsageError(const QCommandLineParser& parser);

// Runs "halyard list|ack|open|status" against the running copy on the session bus, on the
// standard streams; returns the exit status (3 when no copy runs). "status --follow" runs until
// interrupted, across restarts of the running copy.
int runQueueCommand(const QCommandLineParser& parser);

} // namespace halyard
