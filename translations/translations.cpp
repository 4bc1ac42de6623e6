#include "translations/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

QString installTranslations(const QLocale& locale)
{
    auto own = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!own->load(locale, u"halyard"_s, u"_"_s, u":/i18n"_s)) {
        // The texts stay English, but the English catalogue still says "1 alert", not "1 alerts".
        if (own->load(u"halyard_en"_s, u":/i18n"_s))
            QCoreApplication::installTranslator(own.release());
        return {};
    }
    const QString language = own->language();
    // Loaded for our catalogue's language rather than the locale's first: a user who puts
    // English before German reads Qt's texts in English too.
    auto qt = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (qt->load(QLocale(language), u"qtbase"_s, u"_"_s,
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt.release());
    // Installed last, so it is asked first.
    QCoreApplication::installTranslator(own.release());
    return language;
}

} // namespace halyard
