#pragma once

#include "app/profile.h"
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
// else with 1.
int runProgram(std::unique_ptr<KeychainService> keychain, const Profile& profile,
    const FrontEnd& frontEnd = {}, const ReachRunningCopy& reachRunningCopy = {});

// The core without windows.
inline int runHeadless(const QString& keychainService, const Profile& profile)
{
    return runProgram(std::make_unique<KeychainService>(keychainService), profile);
}

} // namespace halyard
