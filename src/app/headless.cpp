#include "app/headless.h"

#include "bus/remotecontrol.h"
#include "common/logging.h"
#include "common/servicemanager.h"
#include "service/appcore.h"
#include "service/datafolderlock.h"
#include "service/servicestatus.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace halyard {

namespace {

int g_signalPipe[2] = { -1, -1 };

extern "C" void onTerminationSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    // Only async-signal-safe work here: the event loop reads the pipe and quits.
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

bool installTerminationHandlers()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // SIGHUP too: a closed terminal ends the program as cleanly as a service manager does, and
    // the demo's profile is removed either way.
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0
        && ::sigaction(SIGHUP, &action, nullptr) == 0;
}

} // namespace

int runProgram(std::unique_ptr<KeychainService> keychain, const Profile& profile,
    const FrontEnd& frontEnd, const ReachRunningCopy& reachRunningCopy)
{
    installJournalPriorities();
    // First of all, so that a signal during start-up is never lost: it waits in the pipe until
    // the event loop runs, and start-up itself never waits outside that loop.
    if (!installTerminationHandlers()) {
        qCCritical(lcApp, "Cannot watch for termination signals");
        return 1;
    }
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) > 0) { }
        // Not quit(): with windows, that first asks each to close, and the settings window
        // only hides.
        QCoreApplication::exit(0);
    });

    // Before anything reads or writes the data folder.
    const auto lock = lockDataFolder(profile.dataFolder());
    if (!lock) {
        QTextStream(stderr) << lock.error().message << Qt::endl;
        if (reachRunningCopy && reachRunningCopy())
            return 0;
        return lock.error().heldByAnotherCopy ? kExitAlreadyRunning : 1;
    }

    // Banners only where a desktop shows them: a service or a server without a front end has
    // no one to see them, and no notification server to miss.
    AppCore core(std::move(keychain), profile, bool(frontEnd));
    const std::unique_ptr<QObject> front
        = frontEnd ? frontEnd(core) : std::make_unique<ServiceStatus>(core);
    // Without a front end the core answers on the bus itself, so that "halyard tokens" reaches
    // a headless copy too.
    std::unique_ptr<CoreRemoteControl> remote;
    if (!frontEnd) {
        remote = std::make_unique<CoreRemoteControl>(core);
        publishOnSessionBus(remote.get());
    }
    core.launch();
    return QCoreApplication::exec();
}

} // namespace halyard
