#include "settings/tokenvalidation.h"
#include "translations/translations.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/collapsedbarview.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// Takes the installed catalogues out again, so the other tests of this program read English.
struct InstalledTranslations {
    explicit InstalledTranslations(const QLocale& locale)
        : language(installTranslations(locale))
    {
    }
    ~InstalledTranslations()
    {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    const QString language;
};

struct Entry {
    QString translation;
    bool finished = false;
};

// Every message of a catalogue, keyed by context and source text.
QMap<QString, Entry> readCatalogue(const QString& name)
{
    QFile file(QStringLiteral(HALYARD_TRANSLATIONS_DIR) + u'/' + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qUtf8Printable(file.fileName());
    QMap<QString, Entry> out;
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const bool unfinished = xml.attributes().value(u"type"_s) == u"unfinished";
            // Plural forms are child elements; their texts together stand for the translation.
            out.insert(context + u" | "_s + source,
                { xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed(),
                    !unfinished });
        }
    }
    EXPECT_FALSE(xml.hasError()) << qUtf8Printable(xml.errorString());
    return out;
}

TEST(Translation, GermanReachesTheViewsTheCoreAndQtItself)
{
    const InstalledTranslations german(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(german.language, u"de"_s);

    CollapsedBarView bar;
    EXPECT_EQ(bar.findChild<QLabel*>(u"statusLabel"_s)->text(), u"Nicht verbunden"_s);
    EXPECT_EQ(CollapsedBarView::statusDescription(ConnectionState::error(u"invalid_auth"_s)),
        u"Verbindungsfehler: invalid_auth"_s);
    EXPECT_EQ(relativeAge(150), u"vor 2 Min."_s);
    EXPECT_EQ(tokenValidationMessage(u"https://api.slack.com/apps"_s, TokenField::app),
        u"Das sieht nach einem Link aus, nicht nach einem Token. Kopieren Sie den Wert des "
        u"Tokens selbst – er beginnt mit xapp-."_s);
    // Qt's own texts (the command line's help, standard buttons) follow in the same language.
    EXPECT_EQ(QCoreApplication::translate("QCommandLineParser", "Displays version information."),
        u"Zeigt Versionsinformation an."_s);
}

TEST(Translation, EveryTemplateTextHasAFinishedGermanTranslationKeepingItsMarks)
{
    const QMap<QString, Entry> english = readCatalogue(u"halyard_en.ts"_s);
    const QMap<QString, Entry> german = readCatalogue(u"halyard_de.ts"_s);
    ASSERT_FALSE(english.isEmpty());
    EXPECT_EQ(german.keys(), english.keys());
    // Placeholders, code marks of the help texts and escaped ampersands must all survive.
    static const QRegularExpression marks(u"%\\d|`|&&"_s);
    const auto marksOf = [](const QString& text) {
        QStringList found;
        for (const auto& match : marks.globalMatch(text))
            found.append(match.captured());
        found.sort();
        return found;
    };
    for (auto it = german.cbegin(); it != german.cend(); ++it) {
        SCOPED_TRACE(qUtf8Printable(it.key()));
        EXPECT_TRUE(it->finished);
        EXPECT_FALSE(it->translation.isEmpty());
        const QString source = it.key().section(u" | "_s, 1);
        EXPECT_EQ(marksOf(it->translation), marksOf(source));
    }
}

} // namespace
} // namespace halyard
