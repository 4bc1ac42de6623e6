#pragma once

#include <QByteArray>
#include <QString>

#include <expected>

namespace halyard {

// The desktop entry that makes the session start the program at login (XDG autostart). It is on
// while the file exists and does not switch itself off (Hidden=true or
// X-GNOME-Autostart-enabled=false, which desktops' startup settings write into it), so a change
// made by hand or by the desktop shows up the next time it is read.
class Autostart {
public:
    static constexpr QStringView kFileName = u"com.corvane.Halyard.desktop";

    // $XDG_CONFIG_HOME/autostart (by default ~/.config/autostart).
    static QString defaultFolder();
    // The entry that starts `executable`, quoted and escaped as the desktop entry format wants.
    // A path with a line break or another control character cannot be written: the error says
    // so.
    static std::expected<QByteArray, QString> desktopEntry(const QString& executable);

    explicit Autostart(
        QString folder = defaultFolder(), QString executable = QStringLiteral("halyard"));

    QString filePath() const;
    bool isEnabled() const;
    // Writes or removes the entry; the error is a sentence naming the file and the reason.
    std::expected<void, QString> setEnabled(bool enabled) const;

private:
    QString m_folder;
    QString m_executable;
};

} // namespace halyard
