#pragma once

#include "queue/alertstore.h"
#include "ui/common/panellayout.h"
#include "ui/panel/floatingpanel.h"
#include "ui/panel/panelpositionstore.h"

#include <QObject>

#include <memory>

namespace halyard {

struct Alert;
class AlertStore;
class FloatingPanel;
class FloatingPanelController;
class PanelActions;
class PanelRootView;
class PreferenceStore;
class SettingsStore;
class SlackDirectory;
class SystemEvents;
class UpdateReminderStore;

// The floating panel with its content, wired to the stores, the screens and the system's sleep
// and lock events. Shown as soon as it is built: collapsed, or expanded over what is queued.
class DesktopPanel : public QObject {
    Q_OBJECT
public:
    struct Stores {
        AlertStore& alerts;
        SettingsStore& settings;
        SlackDirectory& directory;
        PreferenceStore& preferences;
        UpdateReminderStore& updates;
    };

    // What the rows, keys and menus ask for goes to `actions`, which must outlive the panel.
    DesktopPanel(const Stores& stores, SystemEvents& systemEvents, PanelActions& actions,
        QObject* parent = nullptr);
    ~DesktopPanel() override;

    FloatingPanel& window() const { return *m_window; }
    FloatingPanelController& controller() const { return *m_controller; }
    PanelRootView& content() const { return *m_content; }
    // Marks the panel as the demo's.
    void setDemo(bool demo);
    // The window that opens beside the panel; set before it is first shown. It must outlive
    // the panel or be deleted first.
    void setSettingsWindow(QWidget* window);

signals:
    // The settings button or the context menu's "Settings…".
    void settingsRequested();
    void historyRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchScreens();

    PanelLayout m_layout;
    PanelPositionStore m_positions;
    std::unique_ptr<FloatingPanel> m_window;
    std::unique_ptr<FloatingPanelController> m_controller;
    PanelRootView* m_content = nullptr;
};

} // namespace halyard
