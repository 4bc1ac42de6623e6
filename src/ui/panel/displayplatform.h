#pragma once

#include <QLibraryInfo>
#include <QString>

#include <expected>

namespace halyard {

// Why no window can be shown: the sentence for the user (English; the caller translates it in
// the context "halyard::DisplayPlatform" once translations are installed) and the exit status.
struct DisplayError {
    const char* message;
    int exitStatus;
};

// What the environment offers for windows.
struct DisplaySituation {
    bool platformChosen = false; // QT_QPA_PLATFORM is set: the user's choice stands
    bool wayland = false; // WAYLAND_DISPLAY is set
    bool x11 = false; // an X server answers on DISPLAY
};

// The choice: whether to go through XWayland, and the line to log about it (empty when there is
// nothing to say). `pluginFolder` is Qt's plugin folder, where Wayland needs platforms/
// libqwayland-*.so; without it Qt would abort.
struct DisplayChoice {
    bool useXcb = false;
    QString note;
};
std::expected<DisplayChoice, DisplayError> decideDisplayPlatform(
    const DisplaySituation& situation, const QString& pluginFolder);

// Picks the window-system platform before the application object exists. Under Wayland the
// panel runs through XWayland when an X server is reachable: Wayland lets no client keep a window
// above the others or choose its position. Returns the line to log about that choice, or why
// there is no display to use.
std::expected<QString, DisplayError> chooseDisplayPlatform(
    const QString& pluginFolder = QLibraryInfo::path(QLibraryInfo::PluginsPath));

} // namespace halyard
