#include "ui/queue/panelrootview.h"

#include "queue/alertstore.h"
#include "settings/settingsstore.h"
#include "settings/updatereminderstore.h"
#include "ui/common/panellayout.h"
#include "ui/common/panelstyle.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/collapsedbarview.h"
#include "ui/queue/queueview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <cmath>

namespace halyard {

PanelRootView::PanelRootView(const AlertStore& alerts, const SettingsStore& settings,
    const SlackDirectory& directory, UpdateReminderStore& updates, const PanelLayout& layout,
    PanelActions& actions, Clock clock, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_updates(updates)
    , m_layout(layout)
    , m_clock(std::move(clock))
    , m_now(m_clock())
    , m_alerts(alerts)
    , m_model(new AlertQueueModel(alerts, directory, m_now, this))
    , m_alertCount(m_model->rowCount())
    , m_bar(new CollapsedBarView(this))
    , m_divider(panelstyle::makeDivider(this))
    // Created before this view subscribes to the model and the stores, so its rows are current
    // by the time onAlertsChanged() and onUpdateChanged() measure them.
    , m_queue(new QueueView(*m_model, updates, actions, this))
{
    setFixedWidth(panelstyle::kContentWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_bar);
    column->addWidget(m_divider);
    column->addWidget(m_queue);

    connect(m_bar, &CollapsedBarView::settingsRequested, this, &PanelRootView::settingsRequested);
    connect(m_bar, &CollapsedBarView::expandToggleRequested, this,
        [this] { setExpanded(!m_expanded); });
    connect(m_queue, &QueueView::contentChanged, this, &PanelRootView::relayout);

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &PanelRootView::onAlertsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &PanelRootView::onAlertsChanged);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &PanelRootView::scheduleSummary);
    connect(&alerts, &AlertStore::snoozedChanged, this, &PanelRootView::scheduleSummary);
    connect(&updates, &UpdateReminderStore::availableVersionChanged, this,
        &PanelRootView::onUpdateChanged);
    connect(&settings, &SettingsStore::connectionStateChanged, m_bar,
        &CollapsedBarView::setConnectionState);
    connect(&layout, &PanelLayout::maxQueueHeightChanged, this, &PanelRootView::relayout);

    m_tick.setInterval(kTickIntervalMs);
    connect(&m_tick, &QTimer::timeout, this, &PanelRootView::tick);
    m_tick.start();

    m_bar->setConnectionState(settings.connectionState());
    refreshSummary();
    relayout();
}

PanelRootView::~PanelRootView() = default;

void PanelRootView::setDemo(bool demo)
{
    m_bar->setDemo(demo);
}

void PanelRootView::takeKeyboardFocus()
{
    if (!m_queue->isHidden() && m_queue->focusPolicy() != Qt::NoFocus)
        return m_queue->takeKeyboardFocus();
    for (QAbstractButton* button : m_bar->findChildren<QAbstractButton*>()) {
        if (!button->isHidden() && button->focusPolicy() != Qt::NoFocus)
            return button->setFocus(Qt::OtherFocusReason);
    }
}

void PanelRootView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Escape:
        emit keyboardReleased();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Outside dialogs buttons leave Return to their parents; here it presses them.
        if (auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
            button && isAncestorOf(button))
            button->click();
        else
            return QWidget::keyPressEvent(event);
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    event->accept();
}

// A click on the bar's background is how people start using the keys ("click the panel, then
// Up and Down"): without this, activation leaves the keyboard on the bar's first button. The
// press goes on to the window, which drags from it.
void PanelRootView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton
        && m_bar->geometry().contains(event->position().toPoint()))
        takeKeyboardFocus();
    event->ignore();
}

bool PanelRootView::hasContent() const
{
    return m_model->rowCount() > 0 || m_updates.availableVersion().has_value();
}

void PanelRootView::tick()
{
    m_now = m_clock();
    m_model->setNow(m_now);
    refreshSummary();
}

void PanelRootView::scheduleSummary()
{
    // A tick or an aging-policy change reports its rows in runs: one summary for them all.
    if (m_summaryScheduled)
        return;
    m_summaryScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_summaryScheduled)
            refreshSummary();
    });
}

void PanelRootView::showEvent(QShowEvent* event)
{
    if (!m_shownOnce) {
        m_shownOnce = true;
        setExpanded(hasContent());
    }
    QWidget::showEvent(event);
}

void PanelRootView::onAlertsChanged()
{
    refreshSummary();
    const qsizetype count = m_model->rowCount();
    if (count == m_alertCount)
        return;
    m_alertCount = count;
    // Any change of the count opens a panel the user collapsed, so a new alert or the rest of
    // a partly acknowledged queue is seen; the last Ack closes it.
    setExpanded(hasContent());
}

void PanelRootView::onUpdateChanged()
{
    // A new offer opens the panel; its end closes a panel that has nothing else to show.
    if (m_updates.availableVersion())
        setExpanded(true);
    else if (m_model->rowCount() == 0)
        setExpanded(false);
    else
        relayout();
}

void PanelRootView::setExpanded(bool expanded)
{
    m_expanded = expanded;
    m_bar->setExpanded(expanded);
    relayout();
}

void PanelRootView::refreshSummary()
{
    m_summaryScheduled = false;
    // Counted in alerts, whatever rows they fold into, like the bus and the status command.
    m_bar->setQueueSummary(queueHealthFromStages(m_alerts.stages(m_now)), m_alerts.alerts().size());
    m_bar->setSnoozedCount(m_alerts.snoozed().size());
}

void PanelRootView::relayout()
{
    const bool showQueue = m_expanded && hasContent();
    // Visibility first: a hidden widget's new height does not reach the layout.
    m_divider->setVisible(showQueue);
    m_queue->setVisible(showQueue);
    if (showQueue) {
        const int cap = int(std::floor(m_layout.maxQueueHeight()));
        m_queue->setFixedHeight(
            std::min(m_queue->contentHeight(panelstyle::kContentWidth, cap), cap));
    }
    layout()->invalidate();
}

} // namespace halyard
