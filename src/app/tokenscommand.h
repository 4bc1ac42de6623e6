#pragma once

#include <QCoroTask>
#include <QStringList>
#include <QUrl>

#include <functional>

class QCommandLineParser;
class QNetworkAccessManager;
class QTextStream;

namespace halyard {

class KeychainService;

// Adds the options of "halyard tokens" to the program's parser (hidden from --help).
void addTokensCommandOptions(QCommandLineParser& parser);

// Whether the words after "tokens" name one of its commands: set, clear or status.
bool isTokensCommand(const QStringList& words);

// "halyard tokens set|clear|status" on the standard streams, against the credential store the
// parser names (by default the program's own). Runs the application's event loop until the
// command is done; returns the exit status.
int runTokensCommand(const QCommandLineParser& parser);

// What one run of the command works with. Everything pointed to must outlive the task.
struct TokensCommandIo {
    KeychainService* keychain = nullptr;
    QTextStream* in = nullptr;
    QTextStream* out = nullptr;
    QTextStream* err = nullptr;
    // Asks for each token on `err`, echo off, instead of reading it silently.
    bool interactive = false;
    // For "status": where Slack's Web API is asked whether the tokens work.
    QNetworkAccessManager* network = nullptr;
    QUrl slackApiUrl;
    // After a change: tells a running copy that uses the same store; true when one took it up.
    std::function<bool()> tellRunningCopy;
};

// The same with explicit streams: `arguments` are the words after "tokens".
QCoro::Task<int> runTokensCommand(QStringList arguments, TokensCommandIo io);

} // namespace halyard
