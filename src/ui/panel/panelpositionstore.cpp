#include "ui/panel/panelpositionstore.h"

#include "settings/preferencekeys.h"
#include "settings/preferencestore.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kKey = preference::panelPosition.key.toString();

} // namespace

PanelPositionStore::PanelPositionStore(PreferenceStore& preferences)
    : m_preferences(preferences)
{
}

void PanelPositionStore::save(QPointF topLeft, const std::optional<QString>& screenName)
{
    QJsonObject record { { u"topLeftX"_s, topLeft.x() }, { u"topLeftY"_s, topLeft.y() } };
    if (screenName)
        record.insert(u"displayID"_s, *screenName);
    m_preferences.setData(kKey, QJsonDocument(record).toJson(QJsonDocument::Compact));
}

std::optional<placement::SavedPosition> PanelPositionStore::load() const
{
    const auto data = m_preferences.dataValue(kKey);
    if (!data)
        return std::nullopt;
    const QJsonObject record = QJsonDocument::fromJson(*data).object();
    const QJsonValue x = record.value(u"topLeftX"_s);
    const QJsonValue y = record.value(u"topLeftY"_s);
    const QJsonValue display = record.value(u"displayID"_s);
    if (!x.isDouble() || !y.isDouble()
        || !(display.isString() || display.isUndefined() || display.isNull()))
        return std::nullopt;
    placement::SavedPosition saved { { x.toDouble(), y.toDouble() }, std::nullopt };
    if (display.isString())
        saved.displayID = display.toString();
    return saved;
}

} // namespace halyard
