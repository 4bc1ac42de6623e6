#include "ui/common/autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The Exec value of a desktop entry is read in two steps: first as a string value (where "\\"
// stands for one backslash and "\t" for a tab), then as a command line. So the program path is
// written the other way round: a literal % doubled so it is no field code; quoted when it holds a
// reserved character, with " ` $ and \ escaped inside the quotes; then every backslash doubled
// and tabs escaped for the string level.
QString execValue(const QString& executable)
{
    QString arg = executable;
    arg.replace(u"%"_s, u"%%"_s);
    static const QString reserved = u" \t\"'\\><~|&;$*?#()`"_s;
    if (std::any_of(arg.cbegin(), arg.cend(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted;
        for (const QChar c : std::as_const(arg)) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        arg = u'"' + quoted + u'"';
    }
    return arg.replace(u"\\"_s, u"\\\\"_s).replace(u"\t"_s, u"\\t"_s);
}

// TryExec is a plain string value: only the string level's escapes apply.
QString stringValue(const QString& value)
{
    return QString(value).replace(u"\\"_s, u"\\\\"_s).replace(u"\t"_s, u"\\t"_s);
}

// What the desktop's startup settings write into the entry to switch it off without removing it.
bool switchedOffInside(QFile& file)
{
    // A hand-edited file can be anything; the keys sit near the top.
    constexpr qint64 kLimit = 64 * 1024;
    bool inMainGroup = false;
    for (const QByteArray& raw : file.read(kLimit).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true")
            || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

} // namespace

QString Autostart::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + u"/autostart"_s;
}

std::expected<QByteArray, QString> Autostart::desktopEntry(const QString& executable)
{
    // A line break would end the value early, and the format has no escape for other control
    // characters.
    if (std::any_of(executable.cbegin(), executable.cend(),
            [](QChar c) { return c != u'\t' && (c.unicode() < 0x20 || c.unicode() == 0x7f); })) {
        return std::unexpected(QCoreApplication::translate("halyard::Autostart",
            "Halyard cannot start at login from %1: the path of the program holds a line "
            "break or another control character")
                                   .arg(QString(executable).replace(u'\n', u'⏎')));
    }
    const QString entry = u"[Desktop Entry]\n"
                          u"Type=Application\n"
                          u"Name=Halyard\n"
                          u"Comment=Slack alerts you have to acknowledge\n"
                          u"TryExec="_s
        + stringValue(executable) + u"\nExec="_s + execValue(executable)
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
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) && !switchedOffInside(file);
}

std::expected<void, QString> Autostart::setEnabled(bool enabled) const
{
    const QString path = filePath();
    if (!enabled) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return {};
        return std::unexpected(
            QCoreApplication::translate("halyard::Autostart", "Could not remove %1: %2")
                .arg(path, file.errorString()));
    }
    if (!QDir().mkpath(m_folder))
        return std::unexpected(
            QCoreApplication::translate("halyard::Autostart", "Could not create the folder %1")
                .arg(m_folder));
    const auto entry = desktopEntry(m_executable);
    if (!entry)
        return std::unexpected(entry.error());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*entry) < 0 || !file.commit())
        return std::unexpected(
            QCoreApplication::translate("halyard::Autostart", "Could not write %1: %2")
                .arg(path, file.errorString()));
    return {};
}

} // namespace halyard
