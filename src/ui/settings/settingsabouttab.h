#pragma once

#include <QWidget>

namespace halyard {

// The About tab: wordmark, version, the update check and where to get help.
class SettingsAboutTab : public QWidget {
    Q_OBJECT
public:
    static constexpr QStringView kSupportAddress = u"support@corvane.com";

    // `versionText` without the leading "v". Without `checksForUpdates` a note that updates come
    // with the package manager replaces the update button.
    SettingsAboutTab(
        const QString& versionText, bool checksForUpdates = true, QWidget* parent = nullptr);

signals:
    void checkForUpdatesRequested();
};

} // namespace halyard
