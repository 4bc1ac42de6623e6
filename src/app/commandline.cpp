#include "app/commandline.h"

#include "app/headless.h"
#include "app/tokenscommand.h"
#include "app/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

int runCommandLine(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"Halyard"_s);
    QCoreApplication::setApplicationVersion(
        QString::fromLatin1(kVersion) + u" (build "_s + QString::fromLatin1(kBuildNumber) + u')');

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Slack alerts you have to acknowledge."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"tokens"_s,
        u"\"tokens set\" stores the bot and app-level tokens read from standard input, one "
        u"line each; \"tokens clear\" deletes them."_s,
        u"[tokens set|clear]"_s);
    const QCommandLineOption headless(u"headless"_s,
        u"Run the core without windows: take alerts in and acknowledge them in Slack."_s);
    parser.addOption(headless);
    addTokensCommandOptions(parser);
    parser.process(app);
    if (parser.positionalArguments().value(0) == u"tokens")
        return runTokensCommand(parser);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);
    // Until the desktop panel exists, the program runs its core without windows either way.
    return runHeadless(parser.value(u"keychain-service"_s));
}

} // namespace halyard
