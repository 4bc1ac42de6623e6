#include "ui/queue/alertqueuemodel.h"

#include "queue/alertstore.h"
#include "slack/directory/slackdirectory.h"

#include <QSet>
#include <QTimer>

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

AlertQueueModel::AlertQueueModel(
    const AlertStore& store, const SlackDirectory& directory, ReferenceTime now, QObject* parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_directory(directory)
    , m_now(now)
{
    const QList<FoldedRow> rows = m_folding.fold(store.alerts(), store.folding());
    m_rows.reserve(rows.size());
    for (const FoldedRow& row : rows)
        m_rows.append(makeRow(row));
    connect(&store, &AlertStore::alertsChanged, this, &AlertQueueModel::apply);
    connect(&store, &AlertStore::foldingChanged, this, &AlertQueueModel::apply);
    connect(&store, &AlertStore::agingPolicyChanged, this, [this] { reage(m_now); });
    connect(
        &directory, &SlackDirectory::channelNamesChanged, this, &AlertQueueModel::scheduleNames);
    connect(&directory, &SlackDirectory::userNamesChanged, this, &AlertQueueModel::scheduleNames);
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
        return row.folded.alert.text;
    case AlertRole:
        return QVariant::fromValue(row.folded.alert);
    case StageRole:
        return QVariant::fromValue(row.stage);
    case AgeTextRole:
        return ageText(index.row());
    case CountRole:
        return int(row.folded.count());
    case ChannelRole:
        return row.channel;
    case AuthorRole:
        return row.author ? QVariant(*row.author) : QVariant();
    case TextRole:
        return QVariant::fromValue(text(index.row()));
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
    names.insert(CountRole, "count");
    names.insert(ChannelRole, "channel");
    names.insert(AuthorRole, "author");
    names.insert(TextRole, "text");
    return names;
}

QString AlertQueueModel::ageText(int row) const
{
    return relativeAge(m_now - m_rows.at(row).folded.alert.receivedAt);
}

QList<AgeStage> AlertQueueModel::stages() const
{
    QList<AgeStage> out;
    out.reserve(m_rows.size());
    for (const Row& row : m_rows)
        out.append(row.stage);
    return out;
}

const StyledText& AlertQueueModel::text(int row) const
{
    const Row& at = m_rows.at(row);
    if (!at.text)
        at.text = styled(at.folded.alert);
    return *at.text;
}

StyledText AlertQueueModel::styled(const Alert& alert) const
{
    return SlackText::attributedText(
        alert.text, { &m_directory.userNames(), &m_directory.channelNames() });
}

bool AlertQueueModel::nameHeader(Row& row) const
{
    const Alert& alert = row.folded.alert;
    QString channel = u'#' + m_directory.channelName(alert.channelId).value_or(alert.channelId);
    std::optional<QString> author
        = alert.userId ? m_directory.userName(*alert.userId) : std::nullopt;
    if (channel == row.channel && author == row.author)
        return false;
    row.channel = std::move(channel);
    row.author = std::move(author);
    return true;
}

AlertQueueModel::Row AlertQueueModel::makeRow(FoldedRow folded) const
{
    const AgeStage stage = m_store.agingPolicy().stageForAge(m_now - folded.alert.receivedAt);
    Row row { std::move(folded), stage, {}, {}, {} };
    nameHeader(row);
    return row;
}

void AlertQueueModel::scheduleNames()
{
    // A look-up can bring many names one by one: the rows are read again once for them all.
    if (std::exchange(m_namesScheduled, true))
        return;
    QTimer::singleShot(0, this, [this] {
        m_namesScheduled = false;
        refreshNames();
    });
}

void AlertQueueModel::refreshNames()
{
    announceRuns(
        [this](Row& row) {
            bool changed = nameHeader(row);
            // A text never read holds no names yet; any bracket may be a mention.
            if (row.text && row.folded.alert.text.contains(u'<')) {
                StyledText text = styled(row.folded.alert);
                if (text != *row.text) {
                    row.text = std::move(text);
                    changed = true;
                }
            }
            return changed;
        },
        { ChannelRole, AuthorRole, TextRole });
}

void AlertQueueModel::announceRuns(const std::function<bool(Row&)>& update, const QList<int>& roles)
{
    qsizetype runStart = -1;
    for (qsizetype i = 0; i <= m_rows.size(); ++i) {
        const bool changed = i < m_rows.size() && update(m_rows[i]);
        if (changed && runStart < 0) {
            runStart = i;
        } else if (!changed && runStart >= 0) {
            emit dataChanged(index(int(runStart)), index(int(i - 1)), roles);
            runStart = -1;
        }
    }
}

void AlertQueueModel::apply()
{
    // Folding the whole queue again is a hash look-up per alert; what the views hear is still
    // only the rows that came, went or changed. Rows keep the order of their oldest members, so
    // the rows both lists hold are in the same order in each.
    QList<FoldedRow> next = m_folding.fold(m_store.alerts(), m_store.folding());
    QHash<QString, qsizetype> nextById;
    nextById.reserve(next.size());
    for (qsizetype i = 0; i < next.size(); ++i)
        nextById.insert(next.at(i).alert.id, i);

    // Bottom up, so the rows still to remove keep their positions.
    qsizetype end = m_rows.size();
    while (end > 0) {
        if (nextById.contains(m_rows.at(end - 1).folded.alert.id)) {
            --end;
            continue;
        }
        qsizetype first = end - 1;
        while (first > 0 && !nextById.contains(m_rows.at(first - 1).folded.alert.id))
            --first;
        beginRemoveRows({}, int(first), int(end - 1));
        m_rows.remove(first, end - first);
        endRemoveRows();
        end = first;
    }

    // Top down: what lies before each new run already matches.
    QSet<QString> kept;
    kept.reserve(m_rows.size());
    for (const Row& row : std::as_const(m_rows))
        kept.insert(row.folded.alert.id);
    for (qsizetype row = 0; row < next.size();) {
        if (kept.contains(next.at(row).alert.id)) {
            ++row;
            continue;
        }
        qsizetype stop = row + 1;
        while (stop < next.size() && !kept.contains(next.at(stop).alert.id))
            ++stop;
        beginInsertRows({}, int(row), int(stop - 1));
        QList<Row> run;
        run.reserve(stop - row);
        for (qsizetype i = row; i < stop; ++i)
            run.append(makeRow(next.at(i)));
        m_rows.insert(row, run.size(), Row {});
        std::move(run.begin(), run.end(), m_rows.begin() + row);
        endInsertRows();
        row = stop;
    }
    Q_ASSERT(m_rows.size() == next.size());

    // Rows that gained or lost members, or show a newer text.
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).folded == next.at(i))
            continue;
        Row& row = m_rows[i];
        row.folded = std::move(next[i]);
        row.text.reset();
        nameHeader(row);
        emit dataChanged(index(int(i)), index(int(i)),
            { Qt::DisplayRole, AlertRole, CountRole, ChannelRole, AuthorRole, TextRole });
    }
}

void AlertQueueModel::setNow(ReferenceTime now)
{
    const ReferenceTime before = std::exchange(m_now, now);
    reage(before);
}

void AlertQueueModel::reage(ReferenceTime before)
{
    const AgingPolicy& policy = m_store.agingPolicy();
    announceRuns(
        [&](Row& row) {
            const ReferenceTime at = row.folded.alert.receivedAt;
            const AgeStage stage = policy.stageForAge(m_now - at);
            const bool changed = stage != row.stage || ageStep(m_now - at) != ageStep(before - at);
            row.stage = stage;
            return changed;
        },
        { StageRole, AgeTextRole });
}

} // namespace halyard
