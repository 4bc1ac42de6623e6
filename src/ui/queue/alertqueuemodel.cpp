#include "ui/queue/alertqueuemodel.h"

#include "queue/alertstore.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

QString relativeAge(double seconds)
{
    if (!(seconds >= 60))
        return AlertQueueModel::tr("just now");
    if (seconds < 3600)
        return AlertQueueModel::tr("%1 min ago").arg(qint64(seconds / 60));
    if (seconds < 86400)
        return AlertQueueModel::tr("%1 h ago").arg(qint64(seconds / 3600));
    return AlertQueueModel::tr("%1 d ago").arg(qint64(seconds / 86400));
}

namespace {

// The step of the age text an age falls in; equal steps read the same.
qint64 ageStep(double seconds)
{
    if (!(seconds >= 60))
        return 0;
    if (seconds < 3600)
        return qint64(seconds / 60);
    if (seconds < 86400)
        return 100'000 + qint64(seconds / 3600);
    return 200'000 + qint64(seconds / 86400);
}

} // namespace

AlertQueueModel::AlertQueueModel(const AlertStore& store, ReferenceTime now, QObject* parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_now(now)
{
    m_rows.reserve(store.alerts().size());
    for (const Alert& alert : store.alerts())
        m_rows.append(makeRow(alert));
    connect(&store, &AlertStore::alertsChanged, this, &AlertQueueModel::apply);
    connect(&store, &AlertStore::agingPolicyChanged, this, [this] { reage(m_now); });
}

int AlertQueueModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant AlertQueueModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.alert.text;
    case AlertRole:
        return QVariant::fromValue(row.alert);
    case StageRole:
        return QVariant::fromValue(row.stage);
    case AgeTextRole:
        return ageText(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> AlertQueueModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(AlertRole, "alert");
    names.insert(StageRole, "stage");
    names.insert(AgeTextRole, "ageText");
    return names;
}

QString AlertQueueModel::ageText(int row) const
{
    return relativeAge(m_now - m_rows.at(row).alert.receivedAt);
}

QList<AgeStage> AlertQueueModel::stages() const
{
    QList<AgeStage> out;
    out.reserve(m_rows.size());
    for (const Row& row : m_rows)
        out.append(row.stage);
    return out;
}

AlertQueueModel::Row AlertQueueModel::makeRow(const Alert& alert) const
{
    return { alert, m_store.agingPolicy().stageForAge(m_now - alert.receivedAt) };
}

void AlertQueueModel::apply(const AlertChanges& changes)
{
    const QList<Alert>& queue = m_store.alerts();
    const qsizetype from = std::min(changes.firstRow, m_rows.size());

    // Bottom up, so the rows still to remove keep their positions.
    if (!changes.removed.isEmpty()) {
        qsizetype end = m_rows.size();
        while (end > from) {
            if (!changes.removed.contains(m_rows.at(end - 1).alert.id)) {
                --end;
                continue;
            }
            qsizetype first = end - 1;
            while (first > from && changes.removed.contains(m_rows.at(first - 1).alert.id))
                --first;
            beginRemoveRows({}, int(first), int(end - 1));
            m_rows.remove(first, end - first);
            endRemoveRows();
            end = first;
        }
    }

    // Top down: each run of new alerts goes where the store now has it, and what lies before it
    // already matches the store.
    if (!changes.inserted.isEmpty()) {
        for (qsizetype row = from; row < queue.size();) {
            if (!changes.inserted.contains(queue.at(row).id)) {
                ++row;
                continue;
            }
            qsizetype end = row + 1;
            while (end < queue.size() && changes.inserted.contains(queue.at(end).id))
                ++end;
            beginInsertRows({}, int(row), int(end - 1));
            QList<Row> run;
            run.reserve(end - row);
            for (qsizetype i = row; i < end; ++i)
                run.append(makeRow(queue.at(i)));
            m_rows.insert(row, run.size(), Row {});
            std::move(run.begin(), run.end(), m_rows.begin() + row);
            endInsertRows();
            row = end;
        }
    }
    Q_ASSERT(m_rows.size() == queue.size());
}

void AlertQueueModel::setNow(ReferenceTime now)
{
    const ReferenceTime before = std::exchange(m_now, now);
    reage(before);
}

void AlertQueueModel::reage(ReferenceTime before)
{
    const AgingPolicy& policy = m_store.agingPolicy();
    qsizetype runStart = -1;
    const auto flush = [&](qsizetype end) {
        if (runStart < 0)
            return;
        emit dataChanged(index(int(runStart)), index(int(end - 1)), { StageRole, AgeTextRole });
        runStart = -1;
    };
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        Row& row = m_rows[i];
        const AgeStage stage = policy.stageForAge(m_now - row.alert.receivedAt);
        const bool changed = stage != row.stage
            || ageStep(m_now - row.alert.receivedAt) != ageStep(before - row.alert.receivedAt);
        row.stage = stage;
        if (changed && runStart < 0)
            runStart = i;
        else if (!changed)
            flush(i);
    }
    flush(m_rows.size());
}

} // namespace halyard
