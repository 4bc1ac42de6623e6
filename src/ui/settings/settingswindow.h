#pragma once

#include "ui/common/autostart.h"
#include "ui/settings/slackcontrols.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QIcon;
class QLabel;
class QTabWidget;

namespace halyard {

class SettingsStore;

// Facts about the installed program that the window shows or writes.
struct ProgramInfo {
    QString shortVersion {};
    QString buildNumber {};
    QString autostartFolder = Autostart::defaultFolder();
    // What the login entry starts.
    QString executable = QStringLiteral("halyard");
    // Without a build-time update feed the package manager brings updates, and the About tab
    // says so in place of "Check for Updates…".
    bool checksForUpdates = true;
    // Against a simulated workspace: the Authentication tab says so.
    bool demo = false;
};

// The version as the About tab shows it after "v": "?" without a version, and the build number
// in parentheses when there is one that says something the version does not.
QString versionText(const QString& shortVersion, const QString& buildNumber);

// The settings window: Slack tokens and connection, preferences, aging thresholds, version.
// Every change goes to the settings store at once; there is no Apply. Closing only hides it,
// since the program lives on in its panel.
class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    enum class Tab { authentication, general, aging, about };
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 420;

    // The store must outlive the window; the controls may be called after it is gone, while a
    // save or test it started still runs.
    SettingsWindow(SettingsStore& settings, SlackControls slack, ProgramInfo program,
        QWidget* parent = nullptr);

    void selectTab(Tab tab);
    // Selects the tab and brings the window to the front.
    void showTab(Tab tab);
    // The window with the tab selected, as on screen, for documentation pictures.
    QPixmap grabTab(Tab tab);

signals:
    void checkForUpdatesRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTabWidget* m_tabs;
};

// The pieces the tabs share, so every tab reads alike.
namespace settingsform {

inline constexpr int kMargin = 20;

// Orange, for advice the user may ignore.
QColor warningColor();
// A theme icon, or its symbolic variant in themes that have only those.
QIcon themeIcon(const QString& name);
// Small secondary text, wrapped; words in backticks show in code style.
QLabel* helpLabel(const QString& text, QWidget* parent);
// A field's or a block's heading: medium weight.
QLabel* headingLabel(const QString& text, QWidget* parent);
// An upper-case section title in the secondary colour.
QLabel* sectionLabel(const QString& text, QWidget* parent);
// The widget inside a frameless vertical scroll area, for content taller than the window.
QWidget* scrollable(QWidget* content, QWidget* parent);

} // namespace settingsform

} // namespace halyard
