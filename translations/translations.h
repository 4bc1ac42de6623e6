#pragma once

#include <QLocale>

namespace halyard {

// Installs Halyard's catalogue for the first language of `locale` that has one (English, the
// language of the sources, included), and Qt's own catalogue for that same language, so that
// Qt's dialogs and help texts agree with ours. Needs the application object. Returns the
// language installed, or an empty string when no catalogue matched and the texts stay English
// (with the English catalogue's plural forms).
QString installTranslations(const QLocale& locale = QLocale());

} // namespace halyard
