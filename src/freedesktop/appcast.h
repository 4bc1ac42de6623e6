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

// Compares versions by their dotted numbers ("1.10" is newer than "1.9", "2.0" equals "2"); with
// equal numbers a suffix marks a pre-release, older than the release ("2.1-beta" < "2.1"), and
// two suffixes compare as text. Negative, zero or positive, like a three-way comparison.
int compareVersions(QStringView a, QStringView b);

// The newest release the feed lists, or nullopt when it lists none with a version. Items whose
// version does not start with a number, or is longer than kVersionTextLimit, are skipped. Damaged
// XML is an error whose text says where.
std::expected<std::optional<AppcastItem>, QString> parseAppcast(const QByteArray& xml);

} // namespace halyard
