#include "history/shiftreport.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr qint64 kHourMs = 60 * 60 * 1000;

void takeNames(AlertLife& life, const HistoryRecord& record)
{
    if (!record.channelName.isEmpty())
        life.channelName = record.channelName;
    if (!record.senderName.isEmpty())
        life.senderName = record.senderName;
    if (life.sender.isEmpty())
        life.sender = record.sender;
    if (life.channelId.isEmpty())
        life.channelId = record.channelId;
    if (life.postedAt == 0)
        life.postedAt = record.postedAt;
}

// Without the "#", which the ranking adds: no new string per alert.
const QString& channelKey(const AlertLife& life)
{
    return life.channelName.isEmpty() ? life.channelId : life.channelName;
}

QString senderLabel(const AlertLife& life)
{
    if (!life.senderName.isEmpty())
        return life.senderName;
    return life.sender.isEmpty() ? ShiftReport::tr("(unknown sender)") : life.sender;
}

QList<ShiftReport::Ranked> topOf(const QHash<QString, qsizetype>& counts)
{
    QList<ShiftReport::Ranked> ranked;
    ranked.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        ranked.append({ it.key(), it.value() });
    const auto order = [](const ShiftReport::Ranked& a, const ShiftReport::Ranked& b) {
        return a.count != b.count ? a.count > b.count : a.name < b.name;
    };
    const qsizetype top = std::min(ranked.size(), ShiftReport::kTopCount);
    std::partial_sort(ranked.begin(), ranked.begin() + top, ranked.end(), order);
    ranked.resize(top);
    return ranked;
}

QString rankedText(const QList<ShiftReport::Ranked>& ranked)
{
    QStringList parts;
    for (const auto& entry : ranked)
        parts.append(u"%1 (%2)"_s.arg(entry.name).arg(entry.count));
    return parts.isEmpty() ? ShiftReport::tr("none") : parts.join(u", "_s);
}

QString when(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(u"yyyy-MM-dd HH:mm"_s);
}

QString maybeDuration(const std::optional<qint64>& ms)
{
    return ms ? formatDuration(*ms) : u"–"_s;
}

QJsonArray rankedJson(const QList<ShiftReport::Ranked>& ranked)
{
    QJsonArray out;
    for (const auto& entry : ranked)
        out.append(QJsonObject { { "name"_L1, entry.name }, { "count"_L1, entry.count } });
    return out;
}

} // namespace

std::optional<qint64> AlertLife::timeToAck() const
{
    if (!ackedAt)
        return std::nullopt;
    return std::max<qint64>(0, *ackedAt - postedAt);
}

QList<AlertLife> foldLives(const QList<HistoryRecord>& records)
{
    QList<AlertLife> lives;
    lives.reserve(records.size() / 2 + 1);
    // The open (or last) life of each alert id.
    QHash<QString, qsizetype> latest;
    latest.reserve(records.size() / 2 + 1);
    for (const HistoryRecord& record : records) {
        const auto found = latest.constFind(record.alertId);
        if (isSnoozeEvent(record.event)) {
            if (record.event == AlertEvent::snoozed && found != latest.cend()
                && !lives[*found].ackedAt)
                ++lives[*found].snoozes;
            continue;
        }
        if (isArrival(record.event)) {
            // A second arrival after an acknowledgement is a new life; a repeated one is not.
            if (found != latest.cend() && !lives[*found].ackedAt) {
                takeNames(lives[*found], record);
                continue;
            }
            AlertLife life;
            life.alertId = record.alertId;
            life.arrivedAt = record.at;
            life.catchUp = record.event == AlertEvent::arrivedCatchUp;
            life.text = record.text;
            takeNames(life, record);
            latest.insert(record.alertId, lives.size());
            lives.append(std::move(life));
            continue;
        }
        qsizetype index = found == latest.cend() ? -1 : *found;
        if (index < 0 || lives[index].ackedAt) {
            AlertLife life;
            life.alertId = record.alertId;
            life.arrivedAt = record.postedAt != 0 ? record.postedAt : record.at;
            index = lives.size();
            latest.insert(record.alertId, index);
            lives.append(std::move(life));
        }
        AlertLife& life = lives[index];
        takeNames(life, record);
        life.ackedAt = record.at;
        life.ackedBy = record.event;
        life.by = record.by;
        life.byName = record.byName;
        life.stage = record.stage;
    }
    // Arrival order; a life started by a late acknowledgement may sort earlier. Usually there is
    // none, and moving 50,000 lives costs more than checking.
    if (!std::ranges::is_sorted(lives, {}, &AlertLife::arrivedAt))
        std::ranges::stable_sort(lives, {}, &AlertLife::arrivedAt);
    return lives;
}

QList<AlertLife> livesSince(QList<AlertLife> lives, qint64 fromMs, const QString& channel)
{
    const QString wanted = channel.startsWith(u'#') ? channel.mid(1) : channel;
    lives.removeIf([&](const AlertLife& life) {
        return life.arrivedAt < fromMs
            || (!wanted.isEmpty() && life.channelId != wanted && life.channelName != wanted);
    });
    return lives;
}

std::optional<qint64> parseSince(QStringView text, qint64 nowMs)
{
    static const QRegularExpression span(u"^(\\d{1,6})([mhd])$"_s);
    const auto match = span.match(text.toString());
    if (match.hasMatch()) {
        const qint64 count = match.capturedView(1).toLongLong();
        const QChar unit = match.capturedView(2).front();
        const qint64 unitMs = unit == u'm' ? 60'000 : unit == u'h' ? kHourMs : 24 * kHourMs;
        return nowMs - count * unitMs;
    }
    for (const QString& format : { u"yyyy-MM-dd'T'HH:mm"_s, u"yyyy-MM-dd HH:mm"_s }) {
        const QDateTime at = QDateTime::fromString(text.toString(), format);
        if (at.isValid())
            return at.toMSecsSinceEpoch();
    }
    const QDate day = QDate::fromString(text.toString(), Qt::ISODate);
    if (day.isValid())
        return day.startOfDay().toMSecsSinceEpoch();
    return std::nullopt;
}

QString formatDuration(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(0, (ms + 500) / 1000);
    if (seconds < 60)
        return u"%1s"_s.arg(seconds);
    const qint64 minutes = seconds / 60;
    if (minutes < 60)
        return seconds % 60 ? u"%1m %2s"_s.arg(minutes).arg(seconds % 60) : u"%1m"_s.arg(minutes);
    const qint64 hours = minutes / 60;
    if (hours < 24)
        return minutes % 60 ? u"%1h %2m"_s.arg(hours).arg(minutes % 60) : u"%1h"_s.arg(hours);
    return hours % 24 ? u"%1d %2h"_s.arg(hours / 24).arg(hours % 24) : u"%1d"_s.arg(hours / 24);
}

ShiftReport ShiftReport::compute(
    const QList<AlertLife>& lives, qint64 fromMs, qint64 toMs, const AgingPolicy& policy)
{
    ShiftReport report;
    report.fromMs = fromMs;
    report.toMs = toMs;
    report.policy = policy;

    const qint64 firstHour = fromMs - ((fromMs % kHourMs) + kHourMs) % kHourMs;
    const qint64 hourCount = toMs >= firstHour ? (toMs - firstHour) / kHourMs + 1 : 0;
    report.hours.resize(qsizetype(hourCount));
    for (qsizetype i = 0; i < report.hours.size(); ++i)
        report.hours[i].startMs = firstHour + i * kHourMs;

    const double overdueAfter = policy.staleUntil;
    const qint64 binMs = std::max<qint64>(1000, qint64(overdueAfter * 2000.0) / kBins);
    report.bins.resize(kBins + 1);
    for (qsizetype i = 0; i <= kBins; ++i) {
        report.bins[i].fromMs = i * binMs;
        if (i < kBins)
            report.bins[i].toMs = (i + 1) * binMs;
    }

    QList<qint64> times;
    QHash<QString, qsizetype> senders;
    QHash<QString, qsizetype> channels;
    for (const AlertLife& life : lives) {
        ++report.alerts;
        ++senders[senderLabel(life)];
        ++channels[channelKey(life)];
        const qsizetype hour
            = life.arrivedAt >= firstHour ? qsizetype((life.arrivedAt - firstHour) / kHourMs) : -1;
        Hour* slot = hour >= 0 && hour < report.hours.size() ? &report.hours[hour] : nullptr;
        if (const auto taken = life.timeToAck()) {
            (life.byTeammate() ? report.ackedByTeammates : report.ackedByYou) += 1;
            times.append(*taken);
            const AgeStage stage = life.stage.value_or(policy.stageForAge(double(*taken) / 1000));
            if (stage == AgeStage::overdue)
                ++report.wentOverdue;
            if (slot)
                ++slot->acked[std::size_t(stage)];
            ++report.bins[std::min<qsizetype>(kBins, *taken / binMs)].count;
        } else {
            ++report.waiting;
            if (policy.stageForAge(double(toMs - life.postedAt) / 1000) == AgeStage::overdue)
                ++report.wentOverdue;
            if (slot)
                ++slot->waiting;
        }
    }
    if (!times.isEmpty()) {
        std::ranges::sort(times);
        const qsizetype n = times.size();
        report.medianMs = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
        report.p90Ms = times[qsizetype(std::ceil(0.9 * double(n))) - 1];
    }
    report.senders = topOf(senders);
    report.channels = topOf(channels);
    for (auto& channel : report.channels)
        channel.name.prepend(u'#');
    return report;
}

QString ShiftReport::toText() const
{
    QString out;
    out += tr("Shift report %1 – %2").arg(when(fromMs), when(toMs)) + u'\n';
    out += tr("Alerts: %1").arg(alerts) + u'\n';
    out += tr("Acknowledged by you: %1").arg(ackedByYou) + u'\n';
    out += tr("Acknowledged by teammates: %1").arg(ackedByTeammates) + u'\n';
    out += tr("Still waiting: %1").arg(waiting) + u'\n';
    out += tr("Time to acknowledge: median %1, 90th percentile %2")
               .arg(maybeDuration(medianMs), maybeDuration(p90Ms))
        + u'\n';
    out += tr("Went overdue: %1").arg(wentOverdue) + u'\n';
    out += tr("Noisiest senders: %1").arg(rankedText(senders)) + u'\n';
    out += tr("Noisiest channels: %1").arg(rankedText(channels)) + u'\n';
    return out;
}

QString ShiftReport::toMarkdown() const
{
    QString out;
    out += u"### "_s + tr("Shift report %1 – %2").arg(when(fromMs), when(toMs)) + u"\n\n"_s;
    out += u"| | |\n|---|---:|\n"_s;
    const std::pair<QString, QString> rows[] = {
        { tr("Alerts"), QString::number(alerts) },
        { tr("Acknowledged by you"), QString::number(ackedByYou) },
        { tr("Acknowledged by teammates"), QString::number(ackedByTeammates) },
        { tr("Still waiting"), QString::number(waiting) },
        { tr("Median time to acknowledge"), maybeDuration(medianMs) },
        { tr("90th percentile"), maybeDuration(p90Ms) },
        { tr("Went overdue"), QString::number(wentOverdue) },
    };
    for (const auto& [label, value] : rows)
        out += u"| "_s + label + u" | "_s + value + u" |\n"_s;
    const auto list = [&out](const QString& title, const QList<Ranked>& ranked) {
        out += u"\n**"_s + title + u"**\n\n"_s;
        if (ranked.isEmpty())
            out += u"- "_s + tr("none") + u'\n';
        for (const auto& entry : ranked)
            out += u"- %1 (%2)\n"_s.arg(QString(entry.name).replace(u'|', u'/')).arg(entry.count);
    };
    list(tr("Noisiest senders"), senders);
    list(tr("Noisiest channels"), channels);
    return out;
}

QJsonObject ShiftReport::toJson() const
{
    const auto orNull = [](const std::optional<qint64>& ms) {
        return ms ? QJsonValue(double(*ms) / 1000.0) : QJsonValue();
    };
    return QJsonObject {
        { "from"_L1, QDateTime::fromMSecsSinceEpoch(fromMs, Qt::UTC).toString(Qt::ISODate) },
        { "to"_L1, QDateTime::fromMSecsSinceEpoch(toMs, Qt::UTC).toString(Qt::ISODate) },
        { "alerts"_L1, alerts },
        { "ackedByYou"_L1, ackedByYou },
        { "ackedByTeammates"_L1, ackedByTeammates },
        { "waiting"_L1, waiting },
        { "wentOverdue"_L1, wentOverdue },
        { "medianSeconds"_L1, orNull(medianMs) },
        { "p90Seconds"_L1, orNull(p90Ms) },
        { "senders"_L1, rankedJson(senders) },
        { "channels"_L1, rankedJson(channels) },
    };
}

} // namespace halyard
