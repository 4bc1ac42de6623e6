#include "bus/busnames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace halyard {

namespace {

constexpr std::array<std::pair<AgeStage, QStringView>, 4> kStages { {
    { AgeStage::fresh, u"fresh" },
    { AgeStage::aging, u"aging" },
    { AgeStage::stale, u"stale" },
    { AgeStage::overdue, u"overdue" },
} };

constexpr std::array<std::pair<QueueHealth, QStringView>, 4> kHealths { {
    { QueueHealth::allClear, u"all-clear" },
    { QueueHealth::hasAlerts, u"has-alerts" },
    { QueueHealth::halfAged, u"half-aged" },
    { QueueHealth::mostlyAged, u"mostly-aged" },
} };

constexpr std::array<std::pair<ConnectionState::Kind, QStringView>, 4> kConnections { {
    { ConnectionState::Kind::connected, u"connected" },
    { ConnectionState::Kind::connecting, u"connecting" },
    { ConnectionState::Kind::disconnected, u"disconnected" },
    { ConnectionState::Kind::error, u"error" },
} };

template <typename Table, typename Value> QString wordOf(const Table& table, Value value)
{
    const auto* entry = std::ranges::find(table, value, &Table::value_type::first);
    return entry == table.end() ? QString() : entry->second.toString();
}

template <typename Table>
auto valueOf(const Table& table, QStringView word)
    -> std::optional<typename Table::value_type::first_type>
{
    const auto* entry = std::ranges::find(table, word, &Table::value_type::second);
    if (entry == table.end())
        return std::nullopt;
    return entry->first;
}

} // namespace

QString stageWord(AgeStage stage)
{
    return wordOf(kStages, stage);
}

QString healthWord(QueueHealth health)
{
    return wordOf(kHealths, health);
}

std::optional<QueueHealth> healthFromWord(QStringView word)
{
    return valueOf(kHealths, word);
}

QString connectionWord(ConnectionState::Kind kind)
{
    return wordOf(kConnections, kind);
}

std::optional<ConnectionState::Kind> connectionFromWord(QStringView word)
{
    return valueOf(kConnections, word);
}

} // namespace halyard
