#include "queue/alert.h"

#include "common/servertext.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

bool isDigits(QStringView text)
{
    return std::ranges::all_of(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A timestamp split into its whole seconds without leading zeros and its fraction without
// trailing zeros; absent when it is not digits with at most one ".".
struct TimestampParts {
    QStringView seconds;
    QStringView fraction;
};

std::optional<TimestampParts> timestampParts(QStringView ts)
{
    const qsizetype dot = ts.indexOf(u'.');
    QStringView seconds = dot < 0 ? ts : ts.first(dot);
    QStringView fraction = dot < 0 ? QStringView() : ts.sliced(dot + 1);
    if (seconds.isEmpty() || !isDigits(seconds) || !isDigits(fraction))
        return std::nullopt;
    while (seconds.size() > 1 && seconds.front() == u'0')
        seconds = seconds.sliced(1);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    return TimestampParts { seconds, fraction };
}

} // namespace

int compareSlackTimestamps(QStringView a, QStringView b)
{
    const auto pa = timestampParts(a);
    const auto pb = timestampParts(b);
    if (!pa || !pb) {
        if (pa || pb)
            return pa ? 1 : -1;
        return a.compare(b);
    }
    // Without leading zeros, a longer whole part is a larger number; digits of equal length and
    // fractions without trailing zeros compare as text.
    if (pa->seconds.size() != pb->seconds.size())
        return pa->seconds.size() < pb->seconds.size() ? -1 : 1;
    if (const int whole = pa->seconds.compare(pb->seconds); whole != 0)
        return whole;
    return pa->fraction.compare(pb->fraction);
}

ReferenceTime referenceTimeFromUnix(double unixSeconds)
{
    return unixSeconds - double(kUnixToReferenceOffset);
}

ReferenceTime currentReferenceTime()
{
    return referenceTimeFromUnix(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}

bool isPlausibleTime(ReferenceTime time, ReferenceTime now)
{
    return std::isfinite(time) && time >= 0 && time <= now + kMaxClockSkewSeconds;
}

QString Alert::makeId(const QString& channelId, const QString& ts)
{
    return channelId + u':' + ts;
}

QJsonObject Alert::toJson() const
{
    QJsonObject object {
        { u"id"_s, id },
        { u"channelId"_s, channelId },
        { u"ts"_s, ts },
        { u"text"_s, text },
        { u"receivedAt"_s, receivedAt },
    };
    if (userId)
        object.insert(u"userId"_s, *userId);
    if (permalink)
        object.insert(u"permalink"_s, permalink->toString(QUrl::FullyEncoded));
    if (snoozedUntil)
        object.insert(u"snoozedUntil"_s, *snoozedUntil);
    if (muted)
        object.insert(u"muted"_s, true);
    return object;
}

json::Decoded<Alert> Alert::fromJson(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Alert>(value, path, [](json::LocalObjectReader& r) {
        Alert alert;
        alert.id = r.requiredString(u"id");
        alert.channelId = r.requiredString(u"channelId");
        alert.ts = r.requiredString(u"ts");
        if (r.ok() && !isSlackTimestamp(alert.ts))
            r.fail(u"ts", u"expected a Slack timestamp (digits.digits)"_s);
        alert.userId = r.optionalString(u"userId");
        alert.text = r.requiredString(u"text");
        alert.receivedAt = r.requiredDouble(u"receivedAt");
        if (const auto link = r.optionalString(u"permalink")) {
            QUrl url(*link, QUrl::StrictMode);
            if (link->isEmpty() || !url.isValid())
                r.fail(u"permalink", u"expected a URL"_s);
            else
                alert.permalink = url;
        }
        alert.snoozedUntil = r.optionalDouble(u"snoozedUntil");
        alert.muted = r.optionalBool(u"muted").value_or(false);
        return alert;
    });
}

} // namespace halyard
