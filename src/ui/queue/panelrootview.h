#pragma once

#include "queue/alert.h"
#include "ui/common/linkopener.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace halyard {

class AlertQueueModel;
class AlertStore;
class CollapsedBarView;
class PanelLayout;
class QueueView;
class SettingsStore;
class SlackDirectory;
class UpdateReminderStore;

// The panel's content: the collapsed bar and, while expanded and there is something to show, a
// divider and the queue, capped at the layout's maximum queue height. It owns the expanded flag
// and the time every age is measured to, refreshed by a 5-second tick. It changes nothing
// itself: Ack goes to the acknowledge action, opening goes to the link opener, the update row
// goes to the open-update action and the reminder store.
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
    using AcknowledgeAction = std::function<void(const Alert&)>;
    using Clock = std::function<ReferenceTime()>;
    using OpenUpdateAction = std::function<void()>;

    static constexpr int kTickIntervalMs = 5000;

    // Every store must outlive the view.
    PanelRootView(const AlertStore& alerts, const SettingsStore& settings,
        const SlackDirectory& directory, UpdateReminderStore& updates, const PanelLayout& layout,
        AcknowledgeAction acknowledge, OpenUpdateAction openUpdate,
        LinkOpener opener = LinkOpener(), Clock clock = &currentReferenceTime,
        QWidget* parent = nullptr);
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
    // A row's snooze choices were asked for from the keyboard.
    void snoozeRequested(const halyard::Alert& alert, const QPoint& globalPos);
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
    AcknowledgeAction m_acknowledge;
    LinkOpener m_opener;
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
