#pragma once

#include "ui/panel/placement.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

namespace halyard {

class PanelLayout;
class PanelPositionStore;
class SettingsStore;
class SystemEvents;

// What the controller needs of the panel window; FloatingPanel is the real one.
class PanelWindow {
public:
    virtual ~PanelWindow() = default;
    virtual QRectF frame() const = 0;
    // The size the content asks for; an empty size while it has none.
    virtual QSizeF preferredSize() const = 0;
    virtual void setFrame(const QRectF& frame) = 0;
    // The name of the screen the panel is on, if it is on one.
    virtual std::optional<QString> screenName() const = 0;
};

// Keeps the panel where the user put it: anchored by its top-left corner so that it grows and
// shrinks downward, remembered per screen, snapped under the top of the work area when a drag
// ends close to it, clamped back onto a screen when screens change, and put back where it was
// when the system moved it during sleep or a screen lock. Also places the settings window beside
// the panel. Main thread only.
//
// Only the end of the user's drag places the panel. Move events never do: the window system
// answers the program's own moves (the first show among them) before the call returns or, under a
// window manager, long after it, so no guard can tell such an echo from the user's move.
class FloatingPanelController : public QObject {
    Q_OBJECT
public:
    using ScreenSource = std::function<QList<placement::ScreenInfo>()>;

    FloatingPanelController(PanelWindow& panel, PanelPositionStore& positionStore,
        const SettingsStore& settingsStore, PanelLayout& layout, ScreenSource screens,
        QObject* parent = nullptr);

    // Puts the panel at its starting corner and publishes the queue height.
    void start();
    // Pause and resume on these events, so that system moves during sleep or a lock never
    // reach the position store.
    void follow(SystemEvents& events);

    // The content asks for a new size: the panel takes it, keeping its top-left corner.
    void fitToContent();
    // The user grabbed the panel, and let go with its top-left corner at `topLeft`. In between
    // the panel follows the pointer and nothing is snapped or saved.
    void beginDrag();
    void endDrag(QPointF topLeft);
    // The window's move and resize events.
    void panelMoved();
    void panelResized();
    // Screens were added, removed or changed their work areas.
    void screensChanged();
    void pause(const char* reason);
    void resume(const char* reason);
    // The window that settings placement applies to; set before it is first shown.
    void setSettingsWindow(QWidget* window) { m_settingsWindow = window; }
    // Settings-window placement: call when the settings window becomes active and when it is
    // closed (not when it is minimised or its workspace left). It opens beside the panel, or where
    // it was while the panel has not moved. Other windows are left where the window manager puts
    // them.
    void windowActivated(QWidget* window);
    void windowClosing(QWidget* window);

private:
    std::optional<placement::ScreenInfo> panelScreen() const;
    void pinToAnchor();
    bool widthDiffersFromContent() const;
    void updateMaxQueueHeight();
    void placeSettingsWindow(QWidget* window);

    PanelWindow& m_panel;
    PanelPositionStore& m_positionStore;
    const SettingsStore& m_settingsStore;
    PanelLayout& m_layout;
    ScreenSource m_screens;
    QPointF m_anchoredTopLeft;
    bool m_isApplyingProgrammaticChange = false;
    // Where the panel was when the user grabbed it; set while a drag lasts.
    std::optional<QPointF> m_dragStart;
    bool m_settingsWindowMovedThisSession = false;
    std::optional<QRect> m_rememberedSettingsFrame;
    std::optional<QPointF> m_panelPositionAtLastSettingsClose;
    QPointer<QWidget> m_settingsWindow;
    bool m_systemEventInProgress = false;
    std::optional<QPointF> m_prePauseAnchoredTopLeft;
};

} // namespace halyard
