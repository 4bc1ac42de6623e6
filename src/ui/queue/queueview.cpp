#include "ui/queue/queueview.h"

#include "settings/updatereminderstore.h"
#include "ui/common/panelstyle.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alertrow.h"
#include "ui/updates/updaterow.h"

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
    const SlackDirectory& directory, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
    , m_directory(directory)
    , m_updateRow(new UpdateRow(viewport()))
    , m_measure(new AlertRow(Alert {}, directory, this))
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

    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex&, int first, int last) {
            for (int row = first; row <= last; ++row)
                m_heights.remove(m_model.alert(row).id);
        });
    const auto changed = [this] {
        m_shownRows.clear();
        scheduleLayout();
        emit contentChanged();
    };
    connect(&model, &QAbstractItemModel::rowsInserted, this, changed);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&model, &QAbstractItemModel::modelReset, this, [this, changed] {
        m_heights.clear();
        changed();
    });
    connect(&model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
            // Rows in view take a new age at once; after rows came or went, the layout that is
            // due anyway does it.
            if (m_layoutScheduled)
                return;
            for (auto [row, widget] : std::as_const(m_shownRows)) {
                if (row >= topLeft.row() && row <= bottomRight.row())
                    widget->setAge(m_model.ageText(row), m_model.stage(row));
            }
        });

    connect(m_updateRow, &UpdateRow::openRequested, this, &QueueView::openUpdateRequested);
    connect(m_updateRow, &UpdateRow::dismissRequested, &updates, &UpdateReminderStore::dismiss);
    connect(&updates, &UpdateReminderStore::availableVersionChanged, this,
        [this, &updates] { syncUpdate(updates.availableVersion()); });
    syncUpdate(updates.availableVersion());
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
        m_measure->setAlert(alert);
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
        m_measure->setAlert(Alert { {}, {}, {}, {}, u"Alert"_s, 0, {} });
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

AlertRow* QueueView::takeRow(const Alert& alert)
{
    if (AlertRow* row = m_shown.take(alert.id)) {
        row->setAlert(alert);
        return row;
    }
    if (!m_spare.isEmpty()) {
        AlertRow* row = m_spare.takeLast();
        row->setAlert(alert);
        return row;
    }
    auto* row = new AlertRow(alert, m_directory, viewport());
    connect(row, &AlertRow::acknowledgeRequested, this, &QueueView::acknowledgeRequested);
    connect(row, &AlertRow::openRequested, this, &QueueView::openRequested);
    connect(row, &AlertRow::linkActivated, this, &QueueView::linkActivated);
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
    const int bottom = top + viewport()->height();
    QHash<QString, AlertRow*> shown;
    const QList<int> dividers = std::exchange(m_dividers, {});
    m_shownRows.clear();

    int y = 0;
    const int rows = m_model.rowCount();
    for (int row = 0; row < rows; ++row) {
        const Alert& alert = m_model.alert(row);
        const auto known = knownHeight(alert.id, width);
        int height = known.value_or(estimatedHeight(width));
        if (y + height + kDividerHeight > top - kOverscan && y < bottom + kOverscan) {
            AlertRow* widget = takeRow(alert);
            widget->setAge(m_model.ageText(row), m_model.stage(row));
            height = measure(row, width, widget);
            widget->setGeometry(0, y - top, width, height);
            widget->show();
            shown.insert(alert.id, widget);
            m_shownRows.append({ row, widget });
            m_dividers.append(y - top + height);
        }
        y += height + kDividerHeight;
    }
    // What left the view waits for reuse; a click that removed it may still be running.
    for (AlertRow* row : std::as_const(m_shown)) {
        row->hide();
        m_spare.append(row);
    }
    m_shown = std::move(shown);
    constexpr qsizetype kMaxSpare = 8;
    while (m_spare.size() > kMaxSpare)
        m_spare.takeFirst()->deleteLater();

    if (m_updateRow->isVisibleTo(this)) {
        const int height = updateRowHeight(width);
        m_updateRow->setGeometry(0, y - top, width, height);
        y += height;
    }

    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, y - viewport()->height()));
    // Rows repaint themselves when they change or move; the lines between them are ours.
    if (m_dividers != dividers)
        viewport()->update();
    m_layingOut = false;
    // The range may have moved the value (rows went away below the view) or shown the scroll
    // bar, which narrows the rows: lay out again, a bounded number of times.
    if ((bar->value() != top || rowWidth() != width || viewport()->height() != bottom - top)
        && m_relayouts < 2) {
        ++m_relayouts;
        layOutRows();
        --m_relayouts;
    }
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
