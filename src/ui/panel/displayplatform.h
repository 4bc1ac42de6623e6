#pragma once

#include <QString>

#include <expected>

namespace halyard {

// Picks the window-system platform before the application object exists. Under Wayland the
// panel runs through XWayland when an X server is reachable: Wayland lets no client keep a window
// above the others or choose its position. Returns the line to log about that choice (empty
// when there is nothing to say), or the error to print when there is no display at all.
std::expected<QString, QString> chooseDisplayPlatform();

} // namespace halyard
