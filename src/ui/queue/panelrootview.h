#pragma once

#include "queue/alert.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace halyard {

class AlertQueueModel;
class AlertStore;
class CollapsedBarView;
class PanelActions;
class PanelLayout;
class QueueView;
class SettingsStore;
class SlackDirectory;
class UpdateReminderStore;

// The panel's content: the collapsed bar and, while expanded and there is something to show, a
// divider and the queue, capped at the layout's maximum queue height. It owns the expanded flag
// and the time every age is measured to, refreshed by a 5-second tick. It changes nothing
// itself: what its rows and keys ask for goes to the panel's actions, and the update row's
// dismissal to the reminder store.
//
// Once the window has the keyboard, the queue's current row and the buttons of the bar and the
// update row take it in turn (Tab); Return or Space presses a focused button, and Escape asks for
// the keyboard to go back where it came from.
//
// Paints no background of its own; the window supplies it. A change of sizeHint() reaches the
// window as a layout request, and the window follows it; the window also answers
// settingsRequested().
class PanelRootView : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<ReferenceTime()>;

    static constexpr int kTickIntervalMs = 5000;

    // Every store and the actions must outlive the view.
    PanelRootView(const AlertStore& alerts, const SettingsStore& settings,
        const SlackDirectory& directory, UpdateReminderStore& updates, const PanelLayout& layout,
        PanelActions& actions, Clock clock = &currentReferenceTime, QWidget* parent = nullptr);
    ~PanelRootView() override;

    bool isExpanded() const { return m_expanded; }
    ReferenceTime now() const { return m_now; }
    // Whether there is anything to show below the bar.
    bool hasContent() const;
    // Marks the bar as the demo's.
    void setDemo(bool demo);
    // Puts the keyboard on the queue's current alert, or on the bar when no queue shows; it
    // arrives when the window is next activated, at once if it is active.
    void takeKeyboardFocus();

public slots:
    // Reads the clock and re-ages everything; the timer calls it every kTickIntervalMs.
    void tick();

signals:
    void settingsRequested();
    // Escape: the user is done with the panel.
    void keyboardReleased();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void onAlertsChanged();
    void onUpdateChanged();
    void setExpanded(bool expanded);
    void refreshSummary();
    void scheduleSummary();
    void relayout();

    const SettingsStore& m_settings;
    const UpdateReminderStore& m_updates;
    const PanelLayout& m_layout;
    Clock m_clock;
    ReferenceTime m_now;
    const AlertStore& m_alerts;
    AlertQueueModel* m_model;
    bool m_expanded = false;
    bool m_shownOnce = false;
    bool m_summaryScheduled = false;
    qsizetype m_alertCount;
    QTimer m_tick;
    CollapsedBarView* m_bar;
    QWidget* m_divider;
    QueueView* m_queue;
};

} // namespace halyard
