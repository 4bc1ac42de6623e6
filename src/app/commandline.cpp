#include "app/commandline.h"

#include "app/headless.h"
#include "app/historycommands.h"
#include "app/tokenscommand.h"
#include "bus/queuecommands.h"
#include "bus/remotecontrol.h"
#include "service/profile.h"
#include "service/version.h"
#include "translations/translations.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kHeadless = u"headless"_s;
const QString kDemo = u"demo"_s;
const QString kFocus = u"focus"_s;
const QString kNoPanel = u"no-panel"_s;

// The options and commands, described in the user's language once the catalogues are installed.
void describeArguments(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QCoreApplication::translate(
        "halyard::CommandLine", "Slack alerts you have to acknowledge."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"tokens"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "\"tokens set\" stores the bot and app-level tokens read from standard input, one "
            "line each; \"tokens clear\" deletes them; \"tokens status\" shows them masked and "
            "whether Slack accepts them."),
        u"[tokens set|clear|status]"_s);
    parser.addPositionalArgument(u"list"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "\"list\" shows the waiting alerts, \"ack <id>…\" or \"ack --all\" acknowledges "
            "them, \"open <id>\" opens one in Slack, \"status\" shows connection, count, "
            "health and overdue alerts; \"snooze <id> <duration>\" (90s, 15m, 1h, 2d) and "
            "\"unsnooze <id>\" put a row aside and back, \"mute <id> <duration>\" holds back "
            "alerts like it, \"mutes\" and \"unmute <id>\" show and end mutes: all from the "
            "running Halyard."),
        u"[list|ack|open|status|snooze|unsnooze|mute|mutes|unmute]"_s);
    parser.addPositionalArgument(u"history"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "\"history\" shows each alert of the period with its time to acknowledge and who "
            "acknowledged it; \"report\" sums the period up for a hand-over."),
        u"[history|report]"_s);
    parser.addOption(QCommandLineOption(kHeadless,
        QCoreApplication::translate("halyard::CommandLine",
            "Run the core without windows: take alerts in and acknowledge them in Slack.")));
    parser.addOption(QCommandLineOption(kDemo,
        QCoreApplication::translate("halyard::CommandLine",
            "Try Halyard against a simulated workspace on this computer, in a throw-away "
            "profile; nothing reaches Slack.")));
    parser.addOption(QCommandLineOption(kFocus,
        QCoreApplication::translate("halyard::CommandLine",
            "Give the keyboard to the panel of the running Halyard, for a desktop shortcut.")));
    parser.addOption(QCommandLineOption(kNoPanel,
        QCoreApplication::translate("halyard::CommandLine",
            "Run without the panel: banners, the bus and the commands only; no window shows "
            "until Settings is asked for.")));
    addTokensCommandOptions(parser);
    addQueueCommandOptions(parser);
    addHistoryCommandOptions(parser);
}

// What is wrong with the parsed arguments, for standard error; absent when they make sense.
std::optional<QString> usageError(const QCommandLineParser& parser)
{
    const QStringList words = parser.positionalArguments();
    const bool tokens = words.value(0) == u"tokens";
    const bool queue = isQueueCommand(words.value(0));
    const bool history = isHistoryCommand(words.value(0));
    if (!words.isEmpty() && !tokens && !queue && !history)
        return QCoreApplication::translate("halyard::CommandLine", "unknown command \"%1\"")
            .arg(words.first());
    if (tokens && !isTokensCommand(words.mid(1)))
        return QCoreApplication::translate("halyard::CommandLine",
            "use \"halyard tokens set\" (two lines on standard input: the bot token, then the "
            "app-level token), \"halyard tokens clear\" or \"halyard tokens status\"");
    if (auto error = queueCommandUsageError(parser))
        return error;
    if (auto error = historyCommandUsageError(parser))
        return error;
    // Each is a program of its own; none can be another at the same time.
    QStringList modes;
    if (tokens || queue || history)
        modes.append(words.first());
    if (parser.isSet(kHeadless))
        modes.append(u"--headless"_s);
    if (parser.isSet(kDemo))
        modes.append(u"--demo"_s);
    if (parser.isSet(kFocus))
        modes.append(u"--focus"_s);
    if (modes.size() > 1)
        return QCoreApplication::translate("halyard::CommandLine", "%1 and %2 exclude each other")
            .arg(modes[0], modes[1]);
    return std::nullopt;
}

// Whether the arguments ask for the desktop program, which needs its application object (and
// so its display) from the start. Anything else, a usage error included, needs no display.
bool wantsDesktop(const QStringList& arguments)
{
    QCommandLineParser parser;
    describeArguments(parser);
    return parser.parse(arguments) && !usageError(parser) && parser.positionalArguments().isEmpty()
        && !parser.isSet(kHeadless) && !parser.isSet(kFocus) && !parser.isSet(u"help"_s)
        && !parser.isSet(u"help-all"_s) && !parser.isSet(u"version"_s);
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
    // Before Qt's display connection takes it out of the environment.
    launchActivationToken();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const bool desktop = wantsDesktop(arguments);
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
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
    // Before the parser: its help and errors are for a person too.
    installTranslations();
    QCoreApplication::setApplicationName(u"Halyard"_s);
    QCoreApplication::setApplicationVersion(
        QString::fromLatin1(kVersion) + u" (build "_s + QString::fromLatin1(kBuildNumber) + u')');

    QCommandLineParser parser;
    describeArguments(parser);
    // Usage errors get a status of their own, as in other command-line tools; process() would
    // exit with 1.
    std::optional<QString> error;
    // Help and version are answered whatever else is on the line ("halyard tokens --help").
    if (!parser.parse(QCoreApplication::arguments()))
        error = parser.errorText();
    else if (!parser.isSet(u"help"_s) && !parser.isSet(u"help-all"_s)
        && !parser.isSet(u"version"_s))
        error = usageError(parser);
    if (error) {
        QTextStream(stderr) << u"halyard: "_s << *error << Qt::endl
                            << QCoreApplication::translate("halyard::CommandLine",
                                   "Try \"halyard --help\" for more information.")
                            << Qt::endl;
        return 2;
    }
    // Help and version; the arguments are known to be sound.
    parser.process(QCoreApplication::arguments());
    if (parser.positionalArguments().value(0) == u"tokens")
        return runTokensCommand(parser);
    if (isQueueCommand(parser.positionalArguments().value(0)))
        return runQueueCommand(parser);
    if (parser.isSet(kFocus))
        return focusRunningCopy(launchActivationToken());
    const QString keychainService = parser.value(u"keychain-service"_s);
    if (parser.isSet(kDemo) && desktopEntry)
        return desktopEntry->runDemo(platformNote);
    const auto profile = Profile::user();
    if (!profile) {
        QTextStream(stderr) << profile.error() << Qt::endl;
        return 2;
    }
    if (isHistoryCommand(parser.positionalArguments().value(0)))
        return runHistoryCommand(parser, *profile);
    if (parser.isSet(kHeadless) || !desktopEntry)
        return runHeadless(keychainService, *profile);
    return desktopEntry->runDesktop(std::make_unique<KeychainService>(keychainService), *profile,
        platformNote, parser.isSet(kNoPanel));
}

} // namespace halyard
