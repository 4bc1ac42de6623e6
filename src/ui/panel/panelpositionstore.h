#pragma once

#include "ui/panel/placement.h"

#include <optional>

namespace halyard {

class PreferenceStore;

// The panel's last position, as JSON data under "panel.position.v1": "topLeftX" and "topLeftY"
// (numbers) and "displayID", the name of the screen it was on (left out when unknown).
class PanelPositionStore {
public:
    explicit PanelPositionStore(PreferenceStore& preferences);

    void save(QPointF topLeft, const std::optional<QString>& screenName);
    // Anything that is not such a record counts as no saved position.
    std::optional<placement::SavedPosition> load() const;

private:
    PreferenceStore& m_preferences;
};

} // namespace halyard
