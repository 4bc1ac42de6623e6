#include "queue/agingpolicy.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

AgeStage AgingPolicy::stageForAge(double ageSeconds) const
{
    if (ageSeconds < freshUntil)
        return AgeStage::fresh;
    if (ageSeconds < agingUntil)
        return AgeStage::aging;
    if (ageSeconds < staleUntil)
        return AgeStage::stale;
    return AgeStage::overdue;
}

QJsonObject AgingPolicy::toJson() const
{
    return QJsonObject {
        { u"freshUntil"_s, freshUntil },
        { u"agingUntil"_s, agingUntil },
        { u"staleUntil"_s, staleUntil },
    };
}

json::Decoded<AgingPolicy> AgingPolicy::fromJson(const QJsonValue& value, const QString& path)
{
    return json::decodeObject<AgingPolicy>(value, path, [](json::LocalObjectReader& r) {
        AgingPolicy policy;
        policy.freshUntil = r.requiredDouble(u"freshUntil");
        policy.agingUntil = r.requiredDouble(u"agingUntil");
        policy.staleUntil = r.requiredDouble(u"staleUntil");
        return policy;
    });
}

QueueHealth queueHealthFromStages(const QList<AgeStage>& stages)
{
    if (stages.isEmpty())
        return QueueHealth::allClear;
    qsizetype aged = 0;
    for (AgeStage stage : stages) {
        if (stage != AgeStage::fresh)
            ++aged;
    }
    const double ratio = double(aged) / double(stages.size());
    if (ratio >= 0.75)
        return QueueHealth::mostlyAged;
    if (ratio >= 0.5)
        return QueueHealth::halfAged;
    return QueueHealth::hasAlerts;
}

QString healthSymbol(QueueHealth health)
{
    switch (health) {
    case QueueHealth::allClear:
        return u"🟢"_s;
    case QueueHealth::hasAlerts:
        return u"🟡"_s;
    case QueueHealth::halfAged:
        return u"🟠"_s;
    case QueueHealth::mostlyAged:
        break;
    }
    return u"🔴"_s;
}

} // namespace halyard
