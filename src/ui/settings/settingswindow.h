#pragma once

#include "ui/common/autostart.h"
#include "ui/settings/slackcontrols.h"

#include <QPixmap>
#include <QWidget>

class QTabWidget;

namespace halyard {
class MuteList;
}

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
    // The General tab lists these mutes with an "Unmute" button each.
    void showMutes(MuteList& mutes);
    // Selects the tab and brings the window to the front.
    void showTab(Tab tab);
    // The window with the tab selected, as on screen, for documentation pictures.
    QPixmap grabTab(Tab tab);

signals:
    void checkForUpdatesRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Return presses the focused button, as Space does; outside dialogs Qt leaves it unused.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTabWidget* m_tabs;
};

} // namespace halyard
