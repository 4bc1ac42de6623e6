#pragma once

#include <QCoroTask>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

namespace halyard {

class KeychainService;

// Adds the options of "halyard tokens" to the program's parser (hidden from --help).
void addTokensCommandOptions(QCommandLineParser& parser);

// "halyard tokens set" and "halyard tokens clear" on the standard streams, against the
// credential store the parser names (by default the program's own). Runs the application's event
// loop until the command is done; returns the exit status.
int runTokensCommand(const QCommandLineParser& parser);

// The same with explicit streams: `arguments` are the words after "tokens"; `interactive` asks
// for each token on `err` instead of reading it silently. Everything pointed to must outlive the
// task.
QCoro::Task<int> runTokensCommand(QStringList arguments, KeychainService* keychain, QTextStream* in,
    QTextStream* out, QTextStream* err, bool interactive);

} // namespace halyard
