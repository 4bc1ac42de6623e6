#include "desktop/appcast.h"

#include <QXmlStreamReader>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

qulonglong leadingNumber(QStringView part)
{
    qsizetype digits = 0;
    while (digits < part.size() && part[digits].isDigit())
        ++digits;
    return part.first(digits).toULongLong();
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
    const auto left = a.split(u'.');
    const auto right = b.split(u'.');
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const qulonglong l = i < left.size() ? leadingNumber(left[i]) : 0;
        const qulonglong r = i < right.size() ? leadingNumber(right[i]) : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
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
        if (item.displayVersion.isEmpty())
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
