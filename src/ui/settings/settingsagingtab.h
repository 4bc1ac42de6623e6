#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QSlider;
class QVBoxLayout;

namespace halyard {

class SettingsStore;

// The Aging tab: one slider per stage threshold, in whole minutes. A slider moves only its own
// threshold, within the room its neighbours leave, and then shows where the threshold landed.
class SettingsAgingTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSliderMaxMinutes = 240;

    explicit SettingsAgingTab(SettingsStore& settings, QWidget* parent = nullptr);

private:
    struct Row {
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
    };

    Row addRow(QVBoxLayout* layout, const QString& name, const QString& label, const QColor& color,
        std::function<void(double)> set);
    // Positions and values from the store's policy, without feeding back into it.
    void showPolicy();

    SettingsStore& m_settings;
    Row m_fresh;
    Row m_aging;
    Row m_stale;
};

} // namespace halyard
