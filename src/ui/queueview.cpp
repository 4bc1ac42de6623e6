#include "ui/queueview.h"

#include "queue/alertstore.h"
#include "settings/updatereminderstore.h"
#include "ui/alertrow.h"
#include "ui/panelstyle.h"
#include "ui/updaterow.h"

#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

QueueView::QueueView(const AlertStore& alerts, UpdateReminderStore& updates,
    const SlackDirectory& directory, ReferenceTime now, QWidget* parent)
    : QWidget(parent)
    , m_alerts(alerts)
    , m_directory(directory)
    , m_now(now)
    , m_scroll(new QScrollArea(this))
    , m_content(new QWidget)
    , m_column(new QVBoxLayout(m_content))
    , m_updateRow(new UpdateRow(m_content))
{
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addWidget(m_updateRow);
    m_column->addStretch(1);
    m_updateRow->setObjectName(u"updateRow"_s);

    // The window paints the panel's background; nothing here may cover it.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_content);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);

    connect(&alerts, &AlertStore::alertsChanged, this, &QueueView::sync);
    connect(&alerts, &AlertStore::agingPolicyChanged, this, [this] { setNow(m_now); });
    connect(m_updateRow, &UpdateRow::openRequested, this, &QueueView::openUpdateRequested);
    connect(m_updateRow, &UpdateRow::dismissRequested, &updates, &UpdateReminderStore::dismiss);
    connect(&updates, &UpdateReminderStore::availableVersionChanged, this,
        [this, &updates] { syncUpdate(updates.availableVersion()); });
    syncUpdate(updates.availableVersion());
    sync();
}

void QueueView::syncUpdate(const std::optional<QString>& version)
{
    // Hidden explicitly: only then does the column stop counting the row's height.
    m_updateRow->setVersion(version.value_or(QString()));
    m_updateRow->setVisible(version.has_value());
    emit contentChanged();
}

void QueueView::setNow(ReferenceTime now)
{
    m_now = now;
    const AgingPolicy& policy = m_alerts.agingPolicy();
    for (const Entry& entry : std::as_const(m_entries))
        entry.row->setAge(now, policy.stageForAge(now - entry.row->alert().receivedAt));
}

int QueueView::contentHeight(int width) const
{
    return m_column->hasHeightForWidth() ? m_column->totalHeightForWidth(width)
                                         : m_column->totalSizeHint().height();
}

QList<AlertRow*> QueueView::rows() const
{
    QList<AlertRow*> rows;
    for (const QString& id : m_order)
        rows.append(m_entries.value(id).row);
    return rows;
}

AlertRow* QueueView::makeRow(const Alert& alert)
{
    auto* row = new AlertRow(alert, m_directory, m_content);
    connect(row, &AlertRow::acknowledgeRequested, this, &QueueView::acknowledgeRequested);
    connect(row, &AlertRow::openRequested, this, &QueueView::openRequested);
    connect(row, &AlertRow::linkActivated, this, &QueueView::linkActivated);
    return row;
}

void QueueView::sync()
{
    QStringList order;
    for (const Alert& alert : m_alerts.alerts())
        order.append(alert.id);
    const QSet<QString> queued(order.cbegin(), order.cend());

    // Later, not now: the Ack button of a removed row may be the one whose click got us here.
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (queued.contains(it.key())) {
            ++it;
            continue;
        }
        it->row->hide();
        it->divider->hide();
        it->row->deleteLater();
        it->divider->deleteLater();
        it = m_entries.erase(it);
    }

    for (const Alert& alert : m_alerts.alerts()) {
        Entry& entry = m_entries[alert.id];
        if (!entry.row) {
            entry.row = makeRow(alert);
            entry.divider = panelstyle::makeDivider(m_content);
        } else {
            entry.row->setAlert(alert);
        }
    }
    setNow(m_now);

    if (order == m_order)
        return;
    m_order = order;
    while (QLayoutItem* item = m_column->takeAt(0))
        delete item;
    for (const QString& id : std::as_const(m_order)) {
        const Entry& entry = m_entries[id];
        m_column->addWidget(entry.row);
        m_column->addWidget(entry.divider);
        entry.row->show();
        entry.divider->show();
    }
    m_column->addWidget(m_updateRow);
    m_column->addStretch(1);
    emit contentChanged();
}

} // namespace halyard
