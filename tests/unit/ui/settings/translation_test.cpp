#include "queue/alertstore.h"
#include "queue/mutelist.h"
#include "settings/connectionstate.h"
#include "settings/tokenvalidation.h"
#include "translations/translations.h"
#include "ui/settings/mutesview.h"

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
    // One text, or a message with a count's forms (singular first).
    QStringList forms;
    bool finished = false;
    bool numerus = false;
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
    bool numerus = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            numerus = xml.attributes().value(u"numerus"_s) == u"yes";
        } else if (xml.name() == u"source") {
            source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            Entry entry { {}, xml.attributes().value(u"type"_s) != u"unfinished", numerus };
            QString text;
            while (!xml.atEnd()
                && !(xml.readNext() == QXmlStreamReader::EndElement
                    && xml.name() == u"translation")) {
                if (xml.isStartElement() && xml.name() == u"numerusform")
                    entry.forms.append(xml.readElementText());
                else if (xml.isCharacters())
                    text += xml.text();
            }
            if (!numerus)
                entry.forms = { text };
            out.insert(context + u" | "_s + source, entry);
        }
    }
    EXPECT_FALSE(xml.hasError()) << qUtf8Printable(xml.errorString());
    return out;
}

TEST(Translation, GermanReachesTheViewsTheCoreAndQtItself)
{
    const InstalledTranslations german(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(german.language, u"de"_s);

    AlertStore alerts;
    MuteList mutes(alerts, std::nullopt);
    const MutesView view(mutes);
    EXPECT_EQ(view.findChild<QLabel*>()->text(), u"Keine Alarme sind stummgeschaltet."_s);
    // Problems from below reach the window as kinds and are worded here: no English sentence.
    using K = Problem::Kind;
    const std::pair<Problem, QString> problems[] = {
        { Problem::of(K::heartbeatMissed, u"no PONG"_s, 40),
            u"Slack antwortet nicht mehr (kein Lebenszeichen seit 40 s)"_s },
        { Problem::of(K::httpStatus, u"HTTP 401"_s, 401),
            u"Slack hat das Token nicht angenommen (HTTP 401)"_s },
        { Problem::of(K::slackRefused, u"invalid_auth"_s, 0, u"invalid_auth"_s),
            u"Slack hat das Token nicht angenommen (invalid_auth)"_s },
        { Problem::of(K::keychainDenied, u"Keychain error: locked (4)"_s),
            u"Der Schlüsselbund ist gesperrt oder hat den Zugriff verweigert"_s },
        { Problem::of(K::feedUnreachable, u"Host not found"_s),
            u"Die Update-Quelle war nicht abrufbar"_s },
    };
    for (const auto& [problem, wording] : problems)
        EXPECT_EQ(problemText(problem), wording);
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
    static const QRegularExpression marks(u"%\\d|%n|`|&&"_s);
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
        const QString source = it.key().section(u" | "_s, 1);
        // A count's sentence has English's and German's two forms, in both catalogues.
        const qsizetype forms = english[it.key()].numerus ? 2 : 1;
        EXPECT_EQ(it->forms.size(), forms);
        if (forms == 2) {
            EXPECT_TRUE(english[it.key()].finished && english[it.key()].forms.size() == 2);
        }
        for (const QString& form :
            it->forms + (forms == 2 ? english[it.key()].forms : QStringList())) {
            EXPECT_FALSE(form.isEmpty());
            EXPECT_EQ(marksOf(form), marksOf(source));
        }
    }
}

// Counts take the singular where the language has it, in each catalogue.
TEST(Translation, CountsTakeTheirPluralForm)
{
    // Language, count, then the status line and the acknowledgement as they read.
    const std::tuple<QLocale::Language, int, QString, QString> cases[] = {
        { QLocale::English, 1, u"A · 1 alert · B C · 0 overdue"_s, u"Acknowledged 1 alert."_s },
        { QLocale::English, 3, u"A · 3 alerts · B C · 0 overdue"_s, u"Acknowledged 3 alerts."_s },
        { QLocale::German, 1, u"A · 1 Alarm · B C · 0 überfällig"_s, u"1 Alarm bestätigt."_s },
        { QLocale::German, 3, u"A · 3 Alarme · B C · 0 überfällig"_s, u"3 Alarme bestätigt."_s },
        // No catalogue of its own: English, with its forms.
        { QLocale::French, 1, u"A · 1 alert · B C · 0 overdue"_s, u"Acknowledged 1 alert."_s },
    };
    for (const auto& [language, n, status, acknowledged] : cases) {
        SCOPED_TRACE(status.toStdString());
        const InstalledTranslations installed { QLocale(language) };
        const auto translate = [n](const char* source) {
            return QCoreApplication::translate("halyard::QueueCommands", source, "", n);
        };
        EXPECT_EQ(translate("%1 · %n alerts · %2 %3 · %4 overdue")
                      .arg(u"A"_s, u"B"_s, u"C"_s, QString::number(0)),
            status);
        EXPECT_EQ(translate("Acknowledged %n alerts."), acknowledged);
    }
}

} // namespace
} // namespace halyard
