#pragma once

#include "common/jsonreader.h"

#include <QJsonObject>
#include <QList>
#include <QMetaType>

namespace halyard {

// How far one alert has aged; the order of the values is the order of aging.
enum class AgeStage : int { fresh = 0, aging = 1, stale = 2, overdue = 3 };

inline constexpr AgeStage kAllAgeStages[]
    = { AgeStage::fresh, AgeStage::aging, AgeStage::stale, AgeStage::overdue };

// Stage thresholds in seconds of age. Any three numbers are accepted; the settings editors keep
// them ordered and at least a minute apart.
struct AgingPolicy {
    double freshUntil = 300;
    double agingUntil = 900;
    double staleUntil = 1800;

    // Each threshold belongs to the later stage; a negative age is fresh and NaN is overdue.
    AgeStage stageForAge(double ageSeconds) const;

    QJsonObject toJson() const;
    static json::Decoded<AgingPolicy> fromJson(const QJsonValue& value, const QString& path = {});

    friend bool operator==(const AgingPolicy&, const AgingPolicy&) = default;
};

// A summary of the whole queue for the collapsed bar.
enum class QueueHealth { allClear, hasAlerts, halfAged, mostlyAged };

// The share of alerts that have left fresh decides: at least 3/4 mostly aged, at least 1/2
// half aged, otherwise has alerts; no alerts is all clear.
QueueHealth queueHealthFromStages(const QList<AgeStage>& stages);
// The coloured circle that stands for a health in the panel and in status bars.
QString healthSymbol(QueueHealth health);

} // namespace halyard

Q_DECLARE_METATYPE(halyard::AgingPolicy)
