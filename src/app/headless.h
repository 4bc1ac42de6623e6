#pragma once

#include "service/profile.h"
#include "settings/credentialsfolder.h"
#include "settings/keychainservice.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace halyard {

class AppCore;

// Builds what the program shows on top of the core, before the core launches; destroyed before
// the core.
using FrontEnd = std::function<std::unique_ptr<QObject>(AppCore&)>;

// Asked when another copy holds the data folder; true when that copy took over the request.
using ReachRunningCopy = std::function<bool()>;

// Runs the core on the profile, with the front end when one is given, until SIGINT, SIGTERM,
// SIGHUP or a quit from the front end; returns the exit status. When another copy holds the data
// folder it says so and exits at once: with 0 when `reachRunningCopy` handed the request over,
// else with kExitAlreadyRunning (a service manager told not to restart on it gives up).
// Log lines carry their priority when standard error is the journal; without a front end, a
// service manager hears when the program is ready and how it stands.
inline constexpr int kExitAlreadyRunning = 4;
int runProgram(std::unique_ptr<KeychainService> keychain, const Profile& profile,
    const FrontEnd& frontEnd = {}, const ReachRunningCopy& reachRunningCopy = {});

// The core without windows; the tokens come from the service manager's credentials when it
// hands both over, else from the credential store.
inline int runHeadless(const QString& keychainService, const Profile& profile)
{
    auto credentials = CredentialsFolder::fromEnvironment();
    return runProgram(
        credentials ? std::move(credentials) : std::make_unique<KeychainService>(keychainService),
        profile);
}

} // namespace halyard
