#include "ui/autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The desktop entry format reads Exec as a command line: arguments with spaces or its reserved
// characters go in double quotes, and a literal % is doubled so it is no field code.
QString quotedExec(const QString& executable)
{
    QString escaped = executable;
    escaped.replace(u"%"_s, u"%%"_s);
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    if (std::none_of(
            escaped.cbegin(), escaped.cend(), [](QChar c) { return reserved.contains(c); }))
        return escaped;
    QString quoted;
    for (const QChar c : std::as_const(escaped)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace

QString Autostart::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + u"/autostart"_s;
}

QByteArray Autostart::desktopEntry(const QString& executable)
{
    const QString entry = u"[Desktop Entry]\n"
                          u"Type=Application\n"
                          u"Name=Halyard\n"
                          u"Comment=Slack alerts you have to acknowledge\n"
                          u"Exec="_s
        + quotedExec(executable)
        + u"\n"
          u"Icon=com.corvane.Halyard\n"
          u"Terminal=false\n"
          u"X-GNOME-Autostart-enabled=true\n"_s;
    return entry.toUtf8();
}

Autostart::Autostart(QString folder, QString executable)
    : m_folder(std::move(folder))
    , m_executable(std::move(executable))
{
}

QString Autostart::filePath() const
{
    return QDir(m_folder).filePath(kFileName.toString());
}

bool Autostart::isEnabled() const
{
    return QFile::exists(filePath());
}

std::expected<void, QString> Autostart::setEnabled(bool enabled) const
{
    const QString path = filePath();
    if (!enabled) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return {};
        return std::unexpected(u"Could not remove %1: %2"_s.arg(path, file.errorString()));
    }
    if (!QDir().mkpath(m_folder))
        return std::unexpected(u"Could not create the folder %1"_s.arg(m_folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(desktopEntry(m_executable)) < 0
        || !file.commit())
        return std::unexpected(u"Could not write %1: %2"_s.arg(path, file.errorString()));
    return {};
}

} // namespace halyard
