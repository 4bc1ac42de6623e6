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
// shrinks downward, remembered per screen, snapped under the top of the work area when dragged
// close to it, clamped back onto a screen when screens change, and put back where it was when
// the system moved it during sleep or a screen lock. Also places the settings window beside the
// panel. Main thread only.
//
// The window system answers a move or resize with its own move and resize events, sometimes
// before the call returns; two flags tell those echoes apart from the user's moves.
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
    // The window's move and resize events.
    void panelMoved();
    void panelResized();
    // Screens were added, removed or changed their work areas.
    void screensChanged();
    void pause(const char* reason);
    void resume(const char* reason);
    // The window that settings placement applies to; set before it is first shown.
    void setSettingsWindow(QWidget* window) { m_settingsWindow = window; }
    // Settings-window placement: call when any window other than the panel becomes active, and
    // when the settings window closes. The settings window opens beside the panel (or where it
    // was, while the panel has not moved); other windows opening while it exists are centred on
    // it.
    void windowActivated(QWidget* window);
    void windowClosing(QWidget* window);

private:
    std::optional<placement::ScreenInfo> panelScreen() const;
    void pinToAnchor();
    bool sizeDiffersFromContent() const;
    void updateMaxQueueHeight();
    void placeSettingsWindow(QWidget* window);

    PanelWindow& m_panel;
    PanelPositionStore& m_positionStore;
    const SettingsStore& m_settingsStore;
    PanelLayout& m_layout;
    ScreenSource m_screens;
    QPointF m_anchoredTopLeft;
    bool m_isApplyingProgrammaticChange = false;
    double m_lastPanelTop = 0;
    bool m_settingsWindowMovedThisSession = false;
    std::optional<QRect> m_rememberedSettingsFrame;
    std::optional<QPointF> m_panelPositionAtLastSettingsClose;
    QPointer<QWidget> m_settingsWindow;
    bool m_systemEventInProgress = false;
    std::optional<QPointF> m_prePauseAnchoredTopLeft;
};

} // namespace halyard
