#include "queue/alert.h"

#include <QDateTime>
#include <QHashFunctions>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

ReferenceTime referenceTimeFromUnix(double unixSeconds)
{
    return unixSeconds - double(kUnixToReferenceOffset);
}

ReferenceTime currentReferenceTime()
{
    return referenceTimeFromUnix(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
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
    return object;
}

json::Decoded<Alert> Alert::fromJson(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<Alert>(value, path, [](json::ObjectReader& r) {
        Alert alert;
        alert.id = r.requiredString(u"id");
        alert.channelId = r.requiredString(u"channelId");
        alert.ts = r.requiredString(u"ts");
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
        return alert;
    });
}

size_t qHash(const Alert& alert, size_t seed) noexcept
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, alert.id);
    seed = combine(seed, alert.channelId);
    seed = combine(seed, alert.ts);
    seed = combine(seed, alert.userId.value_or(QString()));
    seed = combine(seed, alert.userId.has_value());
    seed = combine(seed, alert.text);
    seed = combine(seed, alert.receivedAt);
    seed = combine(seed, alert.permalink.value_or(QUrl()));
    return combine(seed, alert.permalink.has_value());
}

} // namespace halyard
