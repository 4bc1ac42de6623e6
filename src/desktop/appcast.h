#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <expected>
#include <optional>

namespace halyard {

// One release of an appcast feed (RSS 2.0 with the update namespace).
struct AppcastItem {
    // What the user sees: the short version string, or the build version without one.
    QString displayVersion {};
    QUrl downloadPage {};
    // Absent when the feed names none.
    QUrl releaseNotes {};
};

inline constexpr QStringView kAppcastNamespace
    = u"http://www.andymatuschak.org/xml-namespaces/sparkle";

// Compares dotted versions part by part as numbers ("1.10" is newer than "1.9"); missing parts
// count as 0 and a part's text after its leading digits is ignored. Negative, zero or positive,
// like a three-way comparison.
int compareVersions(QStringView a, QStringView b);

// The newest release the feed lists, or nullopt when it lists none with a version. Damaged XML
// is an error whose text says where.
std::expected<std::optional<AppcastItem>, QString> parseAppcast(const QByteArray& xml);

} // namespace halyard
