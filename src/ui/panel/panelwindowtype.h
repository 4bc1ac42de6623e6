#pragma once

#include <QByteArrayList>
#include <QString>

namespace halyard {

// The X11 window type and states the panel asks for, by window manager. Most keep a dock above
// normal windows without arranging it; tiling ones that take docks for bars (i3) stretch a dock
// across the screen and shrink every tiled window for it, so there the panel is a floating
// utility window kept above instead.
struct PanelWindowType {
    QByteArray type;
    QByteArrayList states;

    bool operator==(const PanelWindowType&) const = default;
};

// `windowManager` is the window manager's _NET_WM_NAME; empty when it gives none.
PanelWindowType panelWindowType(const QString& windowManager);

} // namespace halyard
