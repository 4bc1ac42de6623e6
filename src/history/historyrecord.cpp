#include "history/historyrecord.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>

using namespace Qt::Literals::StringLiterals;

Q_LOGGING_CATEGORY(lcHistory, "com.corvane.Halyard.history", QtInfoMsg)

namespace halyard {

namespace {

constexpr std::array<QStringView, 9> kEventNames = { u"arrived", u"arrived-catch-up", u"ack-panel",
    u"ack-banner", u"ack-bus", u"ack-all", u"ack-teammate", u"snoozed", u"woken" };
constexpr std::array<QStringView, 4> kStageNames = { u"fresh", u"aging", u"stale", u"overdue" };

void putIfAny(QJsonObject& object, QLatin1StringView key, const QString& value)
{
    if (!value.isEmpty())
        object.insert(key, value);
}

} // namespace

bool isSnoozeEvent(AlertEvent event)
{
    return event == AlertEvent::snoozed || event == AlertEvent::woken;
}

bool isArrival(AlertEvent event)
{
    return event == AlertEvent::arrivedLive || event == AlertEvent::arrivedCatchUp;
}

QString eventName(AlertEvent event)
{
    return kEventNames.at(std::size_t(event)).toString();
}

std::optional<AlertEvent> eventFromName(QStringView name)
{
    for (std::size_t i = 0; i < kEventNames.size(); ++i)
        if (kEventNames[i] == name)
            return AlertEvent(i);
    return std::nullopt;
}

QString stageKey(AgeStage stage)
{
    return kStageNames.at(std::size_t(stage)).toString();
}

std::optional<AgeStage> stageFromKey(QStringView name)
{
    for (std::size_t i = 0; i < kStageNames.size(); ++i)
        if (kStageNames[i] == name)
            return AgeStage(i);
    return std::nullopt;
}

QString historyText(const QString& text)
{
    // On the intake's path: scanned in place, no list of lines.
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        const QStringView trimmed = all.sliced(start, end - start).trimmed();
        start = end + 1;
        if (trimmed.isEmpty())
            continue;
        if (trimmed.size() <= kHistoryTextLength)
            return trimmed.toString();
        // Never half a surrogate pair.
        qsizetype cut = kHistoryTextLength - 1;
        if (trimmed[cut - 1].isHighSurrogate())
            --cut;
        return trimmed.first(cut).toString() + u'…';
    }
    return {};
}

QByteArray HistoryRecord::toLine() const
{
    QJsonObject object { { "at"_L1, at }, { "event"_L1, eventName(event) }, { "alert"_L1, alertId },
        { "channel"_L1, channelId } };
    putIfAny(object, "channelName"_L1, channelName);
    putIfAny(object, "sender"_L1, sender);
    putIfAny(object, "senderName"_L1, senderName);
    putIfAny(object, "text"_L1, text);
    if (postedAt != 0)
        object.insert("postedAt"_L1, postedAt);
    putIfAny(object, "by"_L1, by);
    putIfAny(object, "byName"_L1, byName);
    if (stage)
        object.insert("stage"_L1, stageKey(*stage));
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace halyard
