#include "common/displaytext.h"

#include <QTextBoundaryFinder>

namespace halyard {

QString excerpt(const QString& text, qsizetype limit)
{
    // Cheap for the common case: a grapheme has at least one code unit.
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype keep = 0;
    for (qsizetype seen = 0; seen < limit; ++seen) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        if (seen < limit - 1)
            keep = next;
    }
    if (finder.toNextBoundary() == -1)
        return text;
    return text.first(keep) + u'…';
}

QString oneLine(const QString& text, qsizetype limit)
{
    return excerpt(text.simplified(), limit);
}

} // namespace halyard
