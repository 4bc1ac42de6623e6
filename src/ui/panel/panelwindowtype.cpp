#include "ui/panel/panelwindowtype.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

PanelWindowType panelWindowType(const QString& windowManager)
{
    // Window managers that lay docks out as bars.
    static const QStringList kDocksAreBars { u"i3"_s };
    if (kDocksAreBars.contains(windowManager.trimmed(), Qt::CaseInsensitive)) {
        return { "_NET_WM_WINDOW_TYPE_UTILITY",
            { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                "_NET_WM_STATE_SKIP_PAGER" } };
    }
    // No _NET_WM_STATE_ABOVE: Mutter denies the focus to new windows that an "above" window
    // would cover, and a dock is kept above anyway.
    return { "_NET_WM_WINDOW_TYPE_DOCK",
        { "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" } };
}

} // namespace halyard
