#include "ui/panel/displayplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <xcb/xcb.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

bool xServerReachable()
{
    // A server that is still starting (an X session restoring itself) may refuse the first
    // connection; a few tries cost nothing when it answers at once.
    constexpr int kAttempts = 5;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(200);
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const bool reachable = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        if (reachable)
            return true;
    }
    return false;
}

bool waylandPluginIn(const QString& pluginFolder)
{
    return !QDir(pluginFolder + u"/platforms"_s)
                .entryList({ u"libqwayland-*.so"_s }, QDir::Files | QDir::Readable)
                .isEmpty();
}

} // namespace

std::expected<DisplayChoice, DisplayError> decideDisplayPlatform(
    const DisplaySituation& situation, const QString& pluginFolder)
{
    if (situation.platformChosen)
        return DisplayChoice();
    if (situation.wayland && situation.x11) {
        return DisplayChoice { true,
            u"Running through XWayland: Wayland lets no program keep its window above the "
            u"others or choose where it goes"_s };
    }
    if (situation.wayland && !waylandPluginIn(pluginFolder)) {
        return std::unexpected(DisplayError {
            QT_TRANSLATE_NOOP("halyard::DisplayPlatform",
                "Halyard cannot open a window on this Wayland desktop: no X server (XWayland) is "
                "reachable, and Qt's Wayland support is not installed. Install it (\"sudo apt "
                "install qt6-wayland\") or enable XWayland, then start Halyard again."),
            2 });
    }
    if (situation.wayland) {
        return DisplayChoice { false,
            u"No X server for XWayland; running on Wayland, where the panel's position "
            u"cannot be kept"_s };
    }
    if (!situation.x11) {
        return std::unexpected(DisplayError {
            QT_TRANSLATE_NOOP("halyard::DisplayPlatform",
                "Halyard needs a graphical display, and none is reachable (DISPLAY and "
                "WAYLAND_DISPLAY). Run \"halyard --headless\" for the core without windows."),
            1 });
    }
    return DisplayChoice();
}

std::expected<QString, DisplayError> chooseDisplayPlatform(const QString& pluginFolder)
{
    DisplaySituation situation;
    situation.platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    situation.wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    situation.x11 = !situation.platformChosen && !qEnvironmentVariableIsEmpty("DISPLAY")
        && xServerReachable();
    const auto choice = decideDisplayPlatform(situation, pluginFolder);
    if (!choice)
        return std::unexpected(choice.error());
    if (choice->useXcb)
        qputenv("QT_QPA_PLATFORM", "xcb");
    return choice->note;
}

} // namespace halyard
