#pragma once

#include "service/profile.h"

#include <QString>

#include <optional>

class QCommandLineParser;

namespace halyard {

// Adds the options of history and report (--since, --channel) to the program's parser; --json
// and --format are the queue commands'.
void addHistoryCommandOptions(QCommandLineParser& parser);

bool isHistoryCommand(const QString& word);

// What is wrong with a history command's arguments; absent when they make sense. Their options
// given to any other mode are wrong too.
std::optional<QString> historyCommandUsageError(const QCommandLineParser& parser);

// "halyard history" and "halyard report", read from the history file in the profile's data
// folder; the running copy need not run. Returns the exit status.
int runHistoryCommand(const QCommandLineParser& parser, const Profile& profile);

} // namespace halyard
