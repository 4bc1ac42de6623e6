#include "freedesktop/appcast.h"

#include "common/servertext.h"

#include <QVersionNumber>
#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

struct ParsedVersion {
    QVersionNumber number;
    // What follows the number, without leading separators ("beta" of "2.1-beta").
    QString suffix;
};

ParsedVersion parseVersion(QStringView text)
{
    qsizetype suffixIndex = 0;
    ParsedVersion parsed { QVersionNumber::fromString(text, &suffixIndex).normalized(), {} };
    QStringView suffix = text.sliced(suffixIndex);
    while (!suffix.isEmpty() && (suffix.front() == u'-' || suffix.front() == u'.'))
        suffix = suffix.sliced(1);
    parsed.suffix = suffix.toString();
    return parsed;
}

struct RawItem {
    QString shortVersion;
    QString version;
    QUrl enclosure;
    QUrl link;
    QUrl releaseNotes;
};

// Reads up to the item's end tag. The versions may sit on the item or on its enclosure.
void readItem(QXmlStreamReader& xml, RawItem& item)
{
    while (xml.readNextStartElement()) {
        const bool ours = xml.namespaceUri() == kAppcastNamespace;
        const QStringView name = xml.name();
        if (ours && name == u"shortVersionString")
            item.shortVersion = xml.readElementText().trimmed();
        else if (ours && name == u"version")
            item.version = xml.readElementText().trimmed();
        else if (ours && name == u"releaseNotesLink")
            item.releaseNotes = QUrl(xml.readElementText().trimmed());
        else if (xml.namespaceUri().isEmpty() && name == u"link")
            item.link = QUrl(xml.readElementText().trimmed());
        else if (xml.namespaceUri().isEmpty() && name == u"enclosure") {
            const QXmlStreamAttributes attributes = xml.attributes();
            item.enclosure = QUrl(attributes.value(u"url"_s).toString());
            const QString shortVersion
                = attributes.value(kAppcastNamespace.toString(), u"shortVersionString"_s)
                      .toString();
            const QString version
                = attributes.value(kAppcastNamespace.toString(), u"version"_s).toString();
            if (item.shortVersion.isEmpty())
                item.shortVersion = shortVersion.trimmed();
            if (item.version.isEmpty())
                item.version = version.trimmed();
            xml.skipCurrentElement();
        } else
            xml.skipCurrentElement();
    }
}

} // namespace

int compareVersions(QStringView a, QStringView b)
{
    const ParsedVersion left = parseVersion(a);
    const ParsedVersion right = parseVersion(b);
    if (const int numbers = QVersionNumber::compare(left.number, right.number); numbers != 0)
        return numbers < 0 ? -1 : 1;
    if (left.suffix.isEmpty() || right.suffix.isEmpty())
        return int(left.suffix.isEmpty()) - int(right.suffix.isEmpty());
    const int suffixes = left.suffix.compare(right.suffix, Qt::CaseInsensitive);
    return suffixes < 0 ? -1 : suffixes > 0 ? 1 : 0;
}

std::expected<std::optional<AppcastItem>, QString> parseAppcast(const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes);
    std::optional<AppcastItem> newest;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"item" || !xml.namespaceUri().isEmpty())
            continue;
        RawItem raw;
        readItem(xml, raw);
        AppcastItem item;
        item.displayVersion = raw.shortVersion.isEmpty() ? raw.version : raw.shortVersion;
        item.downloadPage = raw.enclosure.isValid() ? raw.enclosure : raw.link;
        item.releaseNotes = raw.releaseNotes;
        if (item.displayVersion.size() > kVersionTextLimit
            || QVersionNumber::fromString(item.displayVersion).isNull())
            continue;
        if (!newest || compareVersions(item.displayVersion, newest->displayVersion) > 0)
            newest = item;
    }
    if (xml.hasError()) {
        return std::unexpected(u"%1 (line %2, column %3)"_s.arg(xml.errorString(),
            QString::number(xml.lineNumber()), QString::number(xml.columnNumber())));
    }
    return newest;
}

} // namespace halyard
