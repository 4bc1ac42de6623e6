#include "queue/alertfolding.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Characters that join the parts of a name: "db-1", "host_2", "node.3", "a/4", "v:5".
bool isJoiner(QChar c)
{
    return c == u'-' || c == u'_' || c == u'.' || c == u'/' || c == u':';
}

bool isNumberSeparator(QChar c)
{
    return c == u'.' || c == u',' || c == u':';
}

// Whether the number at [start, end) belongs to a word or name around it.
bool touchesName(QStringView text, qsizetype start, qsizetype end)
{
    if (start > 0) {
        const QChar before = text[start - 1];
        if (isWordChar(before))
            return true;
        if (isJoiner(before) && start > 1 && isWordChar(text[start - 2]))
            return true;
    }
    if (end < text.size()) {
        const QChar after = text[end];
        if (isWordChar(after))
            return true;
        if (isJoiner(after) && end + 1 < text.size() && isWordChar(text[end + 1]))
            return true;
    }
    return false;
}

} // namespace

QString AlertFolding::textKey(QStringView text)
{
    QString key;
    key.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isDigit(text[i])) {
            key.append(text[i]);
            ++i;
            continue;
        }
        qsizetype end = i;
        qsizetype dots = 0;
        while (end < text.size()) {
            if (isDigit(text[end])) {
                ++end;
            } else if (isNumberSeparator(text[end]) && end + 1 < text.size()
                && isDigit(text[end + 1])) {
                dots += text[end] == u'.';
                end += 2;
            } else {
                break;
            }
        }
        if (dots < 2 && !touchesName(text, i, end))
            key.append(u'#');
        else
            key.append(text.sliced(i, end - i));
        i = end;
    }
    return key;
}

bool AlertFolding::areRepeats(const Alert& older, const Alert& newer)
{
    return older.channelId == newer.channelId && older.userId == newer.userId
        && newer.receivedAt - older.receivedAt <= kWindowSeconds
        && older.receivedAt - newer.receivedAt <= kWindowSeconds
        && textKey(older.text) == textKey(newer.text);
}

const QString& AlertFolding::keyOf(const Alert& alert)
{
    auto it = m_keys.find(alert.id);
    if (it == m_keys.end())
        it = m_keys.insert(alert.id,
            alert.channelId + u'\n' + alert.userId.value_or(QString()) + u'\n'
                + textKey(alert.text));
    return *it;
}

QList<FoldedRow> AlertFolding::fold(const QList<Alert>& alerts, bool enabled)
{
    QList<FoldedRow> rows;
    rows.reserve(alerts.size());
    if (!enabled) {
        for (const Alert& alert : alerts)
            rows.append({ alert, { alert.id } });
        m_keys.clear();
        return rows;
    }
    // Per key, the row that repeats may still join and the time of its newest member.
    struct Open {
        qsizetype row;
        ReferenceTime newest;
    };
    QHash<QString, Open> open;
    open.reserve(alerts.size());
    for (const Alert& alert : alerts) {
        const QString& key = keyOf(alert);
        auto it = open.find(key);
        if (it != open.end() && alert.receivedAt - it->newest <= kWindowSeconds) {
            FoldedRow& row = rows[it->row];
            row.memberIds.append(alert.id);
            row.alert.ts = alert.ts;
            row.alert.text = alert.text;
            row.alert.permalink = alert.permalink;
            it->newest = alert.receivedAt;
            continue;
        }
        open.insert(key, { rows.size(), alert.receivedAt });
        rows.append({ alert, { alert.id } });
    }
    // Keys of alerts gone from the queue are dropped once they outnumber the queue.
    if (m_keys.size() > 2 * alerts.size() + 64) {
        QHash<QString, QString> kept;
        kept.reserve(alerts.size());
        for (const Alert& alert : alerts)
            kept.insert(alert.id, m_keys.value(alert.id));
        m_keys = std::move(kept);
    }
    return rows;
}

QList<Alert> AlertFolding::membersOf(const QList<Alert>& alerts, const QString& id, bool enabled)
{
    QList<Alert> members;
    for (const FoldedRow& row : fold(alerts, enabled)) {
        const qsizetype at = row.memberIds.indexOf(id);
        if (at < 0)
            continue;
        const QSet<QString> wanted = at == 0
            ? QSet<QString>(row.memberIds.cbegin(), row.memberIds.cend())
            : QSet<QString> { id };
        for (const Alert& alert : alerts)
            if (wanted.contains(alert.id))
                members.append(alert);
        break;
    }
    return members;
}

} // namespace halyard
