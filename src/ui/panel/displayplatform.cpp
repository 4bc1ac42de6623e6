#include "ui/panel/displayplatform.h"

#include <QCoreApplication>
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

} // namespace

std::expected<QString, QString> chooseDisplayPlatform()
{
    // The user's explicit choice stands.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return QString();
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY") && xServerReachable();
    if (wayland && x11) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return u"Running through XWayland: Wayland lets no program keep its window above the "
               u"others or choose where it goes"_s;
    }
    if (wayland) {
        return u"No X server for XWayland; running on Wayland, where the panel's position "
               u"cannot be kept"_s;
    }
    if (!x11) {
        return std::unexpected(QCoreApplication::translate("halyard::DisplayPlatform",
            "Halyard needs a graphical display, and none is reachable (DISPLAY and "
            "WAYLAND_DISPLAY). Run \"halyard --headless\" for the core without windows."));
    }
    return QString();
}

} // namespace halyard
