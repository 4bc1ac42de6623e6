#pragma once

#include "service/profile.h"
#include "settings/keychainservice.h"

#include <QCoreApplication>
#include <QString>

#include <expected>
#include <functional>
#include <memory>

namespace halyard {

// What only the desktop program brings: its application object (an exit status when there is
// no display to show it on), the desktop and the demo.
struct DesktopEntry {
    std::function<std::expected<std::unique_ptr<QCoreApplication>, int>(
        int& argc, char** argv, QString& platformNote)>
        makeApplication;
    // The last argument: run without the panel.
    std::function<int(std::unique_ptr<KeychainService>, const Profile&, const QString&, bool)>
        runDesktop;
    std::function<int(const QString&)> runDemo;
};

// Parses the command line and runs the chosen mode; returns the process exit status. Without
// `desktop` (the lean program a server installs) a desktop mode is handed to the desktop program
// with the same arguments.
int runCommandLine(int argc, char* argv[], const DesktopEntry* desktop = nullptr);

} // namespace halyard
