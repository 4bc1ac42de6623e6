#include "ui/queue/queueview.h"

#include "settings/updatereminderstore.h"
#include "ui/common/panelstyle.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alertrow.h"
#include "ui/queue/panelactions.h"
#include "ui/updates/updaterow.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kDividerHeight = 1;
// Rows this far outside the view get widgets too, so a scroll rarely shows a row being built.
constexpr int kOverscan = 120;

// Layouts answer from what they cached for a row's last text until they hear of the new one,
// which a hidden row never passes on and a shown one only at the next layout pass.
int heightOf(QWidget* row, int width)
{
    row->ensurePolished();
    for (QWidget* child : row->findChildren<QWidget*>())
        child->updateGeometry();
    for (QLayout* layout : row->findChildren<QLayout*>())
        layout->invalidate();
    return row->heightForWidth(width);
}

} // namespace

QueueView::QueueView(const AlertQueueModel& model, UpdateReminderStore& updates,
    PanelActions& actions, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_actions(actions)
    , m_updateRow(new UpdateRow(viewport()))
    , m_measure(new AlertRow(this))
    , m_layout(kDividerHeight, kOverscan)
{
    m_measure->hide();
    m_measure->ensurePolished();
    m_updateRow->setObjectName(u"updateRow"_s);
    m_updateRow->hide();

    // The window paints the panel's background; nothing here may cover it.
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(20);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(tr("Alerts"));
    setAccessibleDescription(tr("Up and Down choose an alert, Return opens it in Slack, A or "
                                "Delete acknowledges it, Escape leaves the panel"));

    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) {
            bool current = false;
            for (int row = first; row <= last; ++row) {
                const QString& id = m_model.alert(row).id;
                m_heights.remove(id);
                current = current || id == m_currentId;
            }
            // The keyboard stays where the removed alert was: on the next one, else the one
            // before.
            if (current) {
                const int next = last + 1 < m_model.rowCount() ? last + 1 : first - 1;
                m_currentId = next >= 0 ? m_model.alert(next).id : QString();
            }
        });
    const auto changed = [this] {
        m_shownRows.clear();
        // Only a queue with alerts takes the keyboard; the update row's buttons take it alone.
        const bool empty = m_model.rowCount() == 0;
        if (empty && hasFocus())
            focusNextChild();
        setFocusPolicy(empty ? Qt::NoFocus : Qt::StrongFocus);
        scheduleLayout();
        emit contentChanged();
    };
    connect(&model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&model, &QAbstractItemModel::modelReset, this, [this, changed] {
        m_heights.clear();
        if (currentRow() < 0)
            m_currentId.clear();
        changed();
    });
    connect(&model, &QAbstractItemModel::dataChanged, this,
        [this](
            const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
            // A row that folded in a repeat shows its newest text and count, and names that
            // arrived late can change the text: measured again.
            if (roles.contains(AlertQueueModel::AlertRole)
                || roles.contains(AlertQueueModel::TextRole)
                || roles.contains(AlertQueueModel::ChannelRole)) {
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    m_heights.remove(m_model.alert(row).id);
                m_shownRows.clear();
                scheduleLayout();
                emit contentChanged();
                return;
            }
            // Rows in view take a new age at once; after rows came or went, the layout that is
            // due anyway does it.
            if (m_layoutScheduled)
                return;
            for (auto [row, widget] : std::as_const(m_shownRows)) {
                if (row >= topLeft.row() && row <= bottomRight.row())
                    widget->setIndex(m_model.index(row));
            }
        });

    connect(m_updateRow, &UpdateRow::openRequested, &actions, &PanelActions::openUpdate);
    connect(m_updateRow, &UpdateRow::dismissRequested, &updates, &UpdateReminderStore::dismiss);
    connect(&updates, &UpdateReminderStore::availableVersionChanged, this,
        [this, &updates] { syncUpdate(updates.availableVersion()); });
    syncUpdate(updates.availableVersion());
    if (model.rowCount() > 0)
        setFocusPolicy(Qt::StrongFocus);
}

QueueView::~QueueView() = default;

void QueueView::syncUpdate(const std::optional<QString>& version)
{
    m_updateRow->setVersion(version.value_or(QString()));
    m_updateRow->setVisible(version.has_value());
    scheduleLayout();
    emit contentChanged();
}

int QueueView::rowWidth() const
{
    return viewport()->width();
}

std::optional<int> QueueView::knownHeight(const QString& id, int width, bool shown) const
{
    const auto found = m_heights.constFind(id);
    if (found == m_heights.cend())
        return std::nullopt;
    for (const Measured& measured : *found) {
        if (measured.width == width && (measured.shown || !shown))
            return measured.height;
    }
    return std::nullopt;
}

int QueueView::measure(int row, int width, AlertRow* widget)
{
    const Alert& alert = m_model.alert(row);
    if (const auto known = knownHeight(alert.id, width, widget != nullptr))
        return *known;
    if (!widget) {
        widget = m_measure;
        m_measure->setIndex(m_model.index(row));
    }
    const int height = heightOf(widget, width);
    QList<Measured>& list = m_heights[alert.id];
    list.removeIf([width](const Measured& measured) { return measured.width == width; });
    // Two widths at most: with and without the scroll bar.
    if (list.size() >= 2)
        list.removeFirst();
    list.append({ width, height, widget != m_measure });
    return height;
}

int QueueView::estimatedHeight(int width)
{
    if (!m_estimate || m_estimate->width != width) {
        m_measure->setContent({ Alert {}, u"#"_s, std::nullopt,
            { StyledRun { u"Alert"_s, std::nullopt, std::nullopt, false, {} } }, QString(),
            AgeStage::fresh, 1 });
        m_estimate = Measured { width, heightOf(m_measure, width) };
    }
    return m_estimate->height;
}

int QueueView::updateRowHeight(int width) const
{
    const int height = m_updateRow->heightForWidth(width);
    return height > 0 ? height : m_updateRow->sizeHint().height();
}

int QueueView::contentHeight(int width, int cap)
{
    // Once laid out, the rows are as wide as the view without a scroll bar.
    if (testAttribute(Qt::WA_Resized))
        width = this->width() - 2 * frameWidth();
    int total = 0;
    const int rows = m_model.rowCount();
    for (int row = 0; row < rows; ++row) {
        const Alert& alert = m_model.alert(row);
        int height = 0;
        if (const auto known = knownHeight(alert.id, width))
            height = *known;
        else
            height = total < cap ? measure(row, width) : estimatedHeight(width);
        total += height + kDividerHeight;
    }
    if (m_updateRow->isVisibleTo(this))
        total += updateRowHeight(width);
    return total;
}

QList<AlertRow*> QueueView::rows()
{
    if (m_layoutScheduled)
        layOutRows();
    QList<AlertRow*> out;
    for (const auto& [row, widget] : std::as_const(m_shownRows))
        out.append(widget);
    return out;
}

AlertRow* QueueView::takeRow(int modelRow)
{
    const QModelIndex index = m_model.index(modelRow);
    if (AlertRow* row = m_shown.take(m_model.alert(modelRow).id)) {
        row->setIndex(index);
        return row;
    }
    if (!m_spare.isEmpty()) {
        AlertRow* row = m_spare.takeLast();
        row->setIndex(index);
        return row;
    }
    auto* row = new AlertRow(viewport());
    row->setIndex(index);
    // A row pressed with the pointer becomes the keyboard's current row too.
    connect(row->openArea(), &QAbstractButton::pressed, this, [this, row] {
        m_currentId = row->alert().id;
        m_framed = false;
        showCurrent();
    });
    connect(row, &AlertRow::acknowledgeRequested, &m_actions,
        [this](const Alert& alert) { m_actions.acknowledge(alert, AckCause::panel); });
    connect(row, &AlertRow::openRequested, &m_actions, &PanelActions::open);
    connect(row, &AlertRow::linkActivated, &m_actions, &PanelActions::openLink);
    return row;
}

void QueueView::scheduleLayout()
{
    if (m_layoutScheduled)
        return;
    m_layoutScheduled = true;
    QTimer::singleShot(0, this, [this] {
        if (m_layoutScheduled)
            layOutRows();
    });
}

void QueueView::layOutRows()
{
    if (m_layingOut)
        return;
    m_layingOut = true;
    m_layoutScheduled = false;

    const int width = rowWidth();
    const int top = verticalScrollBar()->value();
    const int viewHeight = viewport()->height();
    const QList<int> dividers = std::exchange(m_dividers, {});
    m_shownRows.clear();

    const int rows = m_model.rowCount();
    QList<int> heights;
    heights.reserve(rows);
    for (int row = 0; row < rows; ++row)
        heights.append(knownHeight(m_model.alert(row).id, width).value_or(estimatedHeight(width)));
    m_layout.setHeights(std::move(heights));
    m_layout.setTrailing(m_updateRow->isVisibleTo(this) ? updateRowHeight(width) : 0);

    // Rows near the view get widgets and are measured on them, which moves the rows below: until
    // no estimate changes, a bounded number of times.
    QHash<int, AlertRow*> placed;
    QueueLayout::Range range;
    for (int pass = 0;; ++pass) {
        range = m_layout.near(top, viewHeight);
        bool moved = false;
        for (int row = range.first; row < range.last; ++row) {
            if (placed.contains(row))
                continue;
            AlertRow* widget = takeRow(row);
            placed.insert(row, widget);
            const int height = measure(row, width, widget);
            moved = moved || height != m_layout.height(row);
            m_layout.setHeight(row, height);
        }
        if (!moved || pass == 2)
            break;
    }

    QHash<QString, AlertRow*> shown;
    for (auto it = placed.cbegin(); it != placed.cend(); ++it) {
        if (!range.contains(it.key()))
            m_shown.insert(it.value()->alert().id, it.value());
    }
    for (int row = range.first; row < range.last; ++row) {
        AlertRow* widget = placed.value(row);
        const int y = m_layout.top(row) - top;
        widget->setGeometry(0, y, width, m_layout.height(row));
        widget->show();
        shown.insert(widget->alert().id, widget);
        m_shownRows.append({ row, widget });
        m_dividers.append(y + m_layout.height(row));
    }
    // What left the view waits for reuse; a click that removed it may still be running.
    for (AlertRow* row : std::as_const(m_shown)) {
        row->hide();
        row->setCurrent(false);
        m_spare.append(row);
    }
    m_shown = std::move(shown);
    constexpr qsizetype kMaxSpare = 8;
    while (m_spare.size() > kMaxSpare)
        m_spare.takeFirst()->deleteLater();

    if (m_updateRow->isVisibleTo(this))
        m_updateRow->setGeometry(0, m_layout.top(rows) - top, width, updateRowHeight(width));

    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewHeight);
    bar->setRange(0, m_layout.maxScroll(viewHeight));
    // Rows repaint themselves when they change or move; the lines between them are ours.
    if (m_dividers != dividers)
        viewport()->update();
    m_layingOut = false;
    showCurrent();
    // The range may have moved the value (rows went away below the view) or shown the scroll
    // bar, which narrows the rows: lay out again, a bounded number of times.
    if ((bar->value() != top || rowWidth() != width || viewport()->height() != viewHeight)
        && m_relayouts < 2) {
        ++m_relayouts;
        layOutRows();
        --m_relayouts;
    }
}

int QueueView::currentRow() const
{
    if (m_currentId.isEmpty())
        return -1;
    if (!m_layoutScheduled) {
        for (const auto& [row, widget] : m_shownRows) {
            if (widget->alert().id == m_currentId)
                return row;
        }
    }
    for (int row = 0; row < m_model.rowCount(); ++row) {
        if (m_model.alert(row).id == m_currentId)
            return row;
    }
    return -1;
}

void QueueView::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    m_currentId = m_model.alert(row).id;
    scrollToCurrent();
    showCurrent();
}

void QueueView::takeKeyboardFocus()
{
    m_framed = true;
    setFocus(Qt::OtherFocusReason);
    showCurrent();
}

void QueueView::showCurrent()
{
    if (m_layoutScheduled)
        return;
    const bool focused = hasFocus();
    AlertRow* current = nullptr;
    for (const auto& [row, widget] : std::as_const(m_shownRows)) {
        const bool isCurrent = focused && widget->alert().id == m_currentId;
        widget->setCurrent(isCurrent && m_framed);
        if (isCurrent)
            current = widget;
    }
    if (!focused) {
        m_announcedId.clear();
    } else if (current && m_announcedId != m_currentId) {
        m_announcedId = m_currentId;
        QAccessibleEvent event(current->openArea(), QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void QueueView::scrollToCurrent()
{
    QScrollBar* bar = verticalScrollBar();
    // Positions above the view are partly estimates until rows are measured in view, which
    // the scroll itself does: a second look settles it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_layoutScheduled)
            layOutRows();
        const int row = currentRow();
        if (row < 0)
            return;
        m_layout.setHeight(row, measure(row, rowWidth()));
        const int viewTop = bar->value();
        const int target = m_layout.scrollToShow(row, viewTop, viewport()->height());
        if (target == viewTop)
            return;
        bar->setValue(target);
        if (bar->value() == viewTop)
            return;
    }
}

void QueueView::keyPressEvent(QKeyEvent* event)
{
    const int rows = m_model.rowCount();
    const bool plain
        = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (rows == 0 || !plain)
        return QAbstractScrollArea::keyPressEvent(event);
    const int current = currentRow();
    switch (event->key()) {
    case Qt::Key_Up:
        setCurrentRow(std::max(0, current - 1));
        break;
    case Qt::Key_Down:
        setCurrentRow(std::min(rows - 1, current + 1));
        break;
    case Qt::Key_Home:
        setCurrentRow(0);
        break;
    case Qt::Key_End:
        setCurrentRow(rows - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_A:
    case Qt::Key_Delete: {
        if (current < 0)
            break;
        // A copy: acknowledging removes the model's own before the signal is done with it.
        const Alert alert = m_model.alert(current);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            m_actions.open(alert);
        else
            m_actions.acknowledge(alert, AckCause::panel);
        break;
    }
    case Qt::Key_S: {
        if (current < 0)
            break;
        QPoint at = viewport()->mapToGlobal(QPoint(0, 0));
        for (const auto& [row, widget] : std::as_const(m_shownRows))
            if (row == current)
                at = widget->mapToGlobal(QPoint(widget->width() / 3, widget->height() / 2));
        m_actions.chooseSnooze(Alert(m_model.alert(current)), at);
        break;
    }
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
    if (!std::exchange(m_framed, true))
        showCurrent();
}

void QueueView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (currentRow() < 0 && m_model.rowCount() > 0)
        m_currentId = m_model.alert(0).id;
    // A click chooses its own row; the keyboard's arrival shows the current one. Activation
    // keeps whatever the last arrival was.
    if (event->reason() == Qt::MouseFocusReason)
        m_framed = false;
    else if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_framed = true;
    if (event->reason() != Qt::MouseFocusReason)
        scrollToCurrent();
    showCurrent();
}

void QueueView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    showCurrent();
}

void QueueView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QColor color = panelstyle::toneColor(palette(), panelstyle::Tone::separator);
    for (int y : std::as_const(m_dividers))
        painter.fillRect(0, y, viewport()->width(), kDividerHeight, color);
}

void QueueView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layOutRows();
}

void QueueView::scrollContentsBy(int, int)
{
    layOutRows();
}

} // namespace halyard
