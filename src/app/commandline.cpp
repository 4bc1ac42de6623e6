#include "app/commandline.h"

#include "app/desktop.h"
#include "app/headless.h"
#include "app/profile.h"
#include "app/tokenscommand.h"
#include "app/version.h"
#include "translations/translations.h"
#include "ui/common/activation.h"
#include "ui/panel/displayplatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Whether the arguments ask for the desktop program. Decided before the parser runs, because
// the desktop needs its application object (and its display) from the start.
bool wantsDesktop(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--headless" || arg == "--focus" || arg == "tokens" || arg == "-h"
            || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version")
            return false;
    }
    return true;
}

} // namespace

int runCommandLine(int argc, char* argv[])
{
    // Before Qt's display connection takes it out of the environment.
    launchActivationToken();
    const bool desktop = wantsDesktop(argc, argv);
    QString platformNote;
    std::unique_ptr<QCoreApplication> app;
    if (desktop) {
        const bool userChosePlatform = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
        const auto platform = chooseDisplayPlatform();
        if (!platform) {
            // A message for a person, so in their language: translators need an application
            // object, and without a display only a core one can be made.
            const QCoreApplication core(argc, argv);
            installTranslations();
            QTextStream(stderr) << QCoreApplication::translate(
                "halyard::DisplayPlatform", qUtf8Printable(platform.error()))
                                << Qt::endl;
            return 1;
        }
        platformNote = *platform;
        app = std::make_unique<QApplication>(argc, argv);
        // Who the windows belong to, for docks, the window switcher and notification settings:
        // the desktop entry's name (the Wayland app id) and its icon. The windows' WM_CLASS is
        // "Halyard", the application name, as the entry's StartupWMClass says.
        QGuiApplication::setDesktopFileName(u"com.corvane.Halyard"_s);
        QApplication::setWindowIcon(QIcon::fromTheme(
            u"com.corvane.Halyard"_s, QIcon(u":/icons/com.corvane.Halyard.svg"_s)));
        // Qt has read the choice; the programs that Halyard opens make their own.
        if (!userChosePlatform)
            qunsetenv("QT_QPA_PLATFORM");
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
    const QCommandLineOption focus(u"focus"_s,
        QCoreApplication::translate("halyard::CommandLine",
            "Give the keyboard to the panel of the running Halyard, for a desktop shortcut."));
    parser.addOption(focus);
    addTokensCommandOptions(parser);
    parser.process(*app);
    if (parser.positionalArguments().value(0) == u"tokens")
        return runTokensCommand(parser);
    if (!parser.positionalArguments().isEmpty())
        parser.showHelp(2);
    if (parser.isSet(focus))
        return focusRunningCopy(launchActivationToken());
    const QString keychainService = parser.value(u"keychain-service"_s);
    if (parser.isSet(demo) && !parser.isSet(headless))
        return runDemo(platformNote);
    const auto profile = Profile::user();
    if (!profile) {
        QTextStream(stderr) << profile.error() << Qt::endl;
        return 2;
    }
    if (parser.isSet(headless))
        return runHeadless(keychainService, *profile);
    return runDesktop(std::make_unique<KeychainService>(keychainService), *profile, platformNote);
}

} // namespace halyard
