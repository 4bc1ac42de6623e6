#pragma once

#include "ui/common/autostart.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace halyard {

class MuteList;
class SettingsStore;

// The General tab: filtering, banners, ack-back and placement preferences, each written to the
// settings store as it changes, and whether the program starts at login.
class SettingsGeneralTab : public QWidget {
    Q_OBJECT
public:
    SettingsGeneralTab(SettingsStore& settings, Autostart autostart, QWidget* parent = nullptr);

    // The line under the trigger prefix that shows what the prefix does.
    static QString prefixExample(const QString& prefix);
    // Lists the active mutes under the folding switch, each with its "Unmute" button.
    void showMutes(MuteList& mutes);

protected:
    // The login entry may have changed outside the program since the tab was last seen.
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* addToggle(QVBoxLayout* layout, const QString& name, const QString& label,
        const QString& help, bool checked);
    QLineEdit* addTextField(
        QVBoxLayout* layout, const QString& name, const QString& placeholder, const QString& text);
    void addStartupSection(QVBoxLayout* layout);
    void setAutostart(bool enabled);

    Autostart m_autostart;
    QVBoxLayout* m_mutesSlot = nullptr;
    QCheckBox* m_autostartToggle = nullptr;
    QLabel* m_autostartError = nullptr;
};

} // namespace halyard
