#include "app/commandline.h"

#include "app/headless.h"
#include "app/profile.h"
#include "app/tokenscommand.h"
#include "app/version.h"
#include "translations/translations.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Whether the arguments ask for the desktop program. Decided before the parser runs, because
// the desktop needs its application object (and its display) from the start.
bool wantsDesktop(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--headless" || arg == "tokens" || arg == "-h" || arg == "--help"
            || arg == "--help-all" || arg == "-v" || arg == "--version")
            return false;
    }
    return true;
}

// The desktop program in place of this one, same process, arguments and environment: beside
// this program in a build tree, else where the package installs it.
int execDesktopProgram(int& argc, char* argv[])
{
    const QString besideThis
        = QFileInfo(u"/proc/self/exe"_s).canonicalPath() + u"/halyard-desktop"_s;
    const QByteArray program = QFileInfo::exists(besideThis) ? QFile::encodeName(besideThis)
                                                             : QByteArray(kDesktopProgram);
    ::execv(program.constData(), argv);
    // Still here: a server that has the lean program alone. Said in the user's language.
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    const QCoreApplication core(argc, argv);
    installTranslations();
    QTextStream(stderr) << QCoreApplication::translate("halyard::CommandLine",
        "halyard: cannot start the desktop program %1 (%2); \"halyard --headless\" runs "
        "without it")
                               .arg(QFile::decodeName(program), reason)
                        << Qt::endl;
    return 1;
}

} // namespace

int runCommandLine(int argc, char* argv[], const DesktopEntry* desktopEntry)
{
    const bool desktop = wantsDesktop(argc, argv);
    if (desktop && !desktopEntry)
        return execDesktopProgram(argc, argv);
    QString platformNote;
    std::unique_ptr<QCoreApplication> app;
    if (desktop) {
        auto made = desktopEntry->makeApplication(argc, argv, platformNote);
        if (!made)
            return made.error();
        app = std::move(*made);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Spent with this launch: the programs Halyard opens get tokens of their own.
    // Spent with this launch: the programs Halyard opens get tokens of their own.
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
    // Before the parser: its help and errors are for a person too.
    installTranslations();
    QCoreApplication::setApplicationName(u"Halyard"_s);
    QCoreApplication::setApplicationVersion(
        QString::fromLatin1(kVersion) + u" (build "_s + QString::fromLatin1(kBuildNumber) + u')');

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "halyard::CommandLine", "Slack alerts you have to acknowledge."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"tokens"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "\"tokens set\" stores the bot and app-level tokens read from standard input, one "
            "line each; \"tokens clear\" deletes them."),
        u"[tokens set|clear]"_s);
    const QCommandLineOption headless(u"headless"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "Run the core without windows: take alerts in and acknowledge them in Slack."));
    parser.addOption(headless);
    const QCommandLineOption demo(u"demo"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "Try Halyard against a simulated workspace on this computer, in a throw-away "
            "profile; nothing reaches Slack."));
    parser.addOption(demo);
    addTokensCommandOptions(parser);
    parser.process(*app);
    if (parser.positionalArguments().value(0) == u"tokens")
        return runTokensCommand(parser);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);
    const QString keychainService = parser.value(u"keychain-service"_s);
    if (parser.isSet(demo) && !parser.isSet(headless) && desktopEntry)
        return desktopEntry->runDemo(platformNote);
    const auto profile = Profile::user();
    if (!profile) {
        QTextStream(stderr) << profile.error() << Qt::endl;
        return 2;
    }
    if (parser.isSet(headless) || !desktopEntry)
        return runHeadless(keychainService, *profile);
    return desktopEntry->runDesktop(
        std::make_unique<KeychainService>(keychainService), *profile, platformNote);
}

} // namespace halyard
