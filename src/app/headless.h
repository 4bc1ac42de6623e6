#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace halyard {

class AppCore;

// Builds what the program shows on top of the core, before the core launches; destroyed before
// the core.
using FrontEnd = std::function<std::unique_ptr<QObject>(AppCore&)>;

// Runs the core, with the front end when one is given, until SIGINT, SIGTERM or a quit from the
// front end; returns the exit status. Exits with 1 at once when another copy holds the data
// folder.
int runProgram(const QString& keychainService, const FrontEnd& frontEnd = {});

// The core without windows.
inline int runHeadless(const QString& keychainService)
{
    return runProgram(keychainService);
}

} // namespace halyard
